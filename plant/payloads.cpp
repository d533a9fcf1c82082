#include "plant/payloads.h"

#include "protocol/describe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <cmath>

namespace plant {

namespace {

QJsonValue number(double value) {
    return std::isfinite(value) ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

QJsonValue time(qint64 at) {
    return at > 0 ? QJsonValue(at) : QJsonValue(QJsonValue::Null);
}

template <typename Pick> bool anyChannel(const protocol::DeviceState &state, Pick pick) {
    for (int board = 0; board < protocol::driverBoardCount; ++board)
        for (int channel = 0; channel < protocol::driverChannelCount; ++channel)
            if (pick(state.driverChannel[board][channel]))
                return true;
    return false;
}

QByteArray compact(const QJsonObject &object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonValue degrees(double received, qint32 shown) {
    return std::isfinite(received) ? QJsonValue(received) : QJsonValue(shown);
}

} // namespace

events::Sample noReadings() {
    const double none = std::nan("");
    return events::Sample{0, none, none, none};
}

QJsonObject statusObject(const protocol::DeviceState &state, const LinkInfo &link,
                         const events::Sample &readings, const QStringList &unacknowledged) {
    const int shown = state.displayModule;
    const bool shownKnown = shown >= 0 && shown < protocol::moduleCount;
    const protocol::ModuleStatus shownModule =
        shownKnown ? state.moduleStatus[shown] : protocol::ModuleStatus{};

    QJsonObject alarms{
        {QStringLiteral("external_estop"), state.extEStop},
        {QStringLiteral("door_interlock"), state.doorInterlock},
        {QStringLiteral("system_fault"), state.systemFault},
        {QStringLiteral("chiller_fault"), state.chillerFault},
        // The status page's temperature lamp: both water temperatures of the shown module high.
        {QStringLiteral("water_temperature"),
         shownModule.waterInHiFault && shownModule.waterOutHiFault},
        {QStringLiteral("driver_over_current"), anyChannel(state,
                                                           [](const protocol::DriverChannel &c) {
                                                               return c.overCurrent1 ||
                                                                      c.overCurrent2;
                                                           })},
        {QStringLiteral("driver_over_temperature"),
         anyChannel(state,
                    [](const protocol::DriverChannel &c) {
                        return c.overTemp1 || c.overTemp2 || c.overTemp3 || c.overTemp4;
                    })},
    };

    QJsonArray modules;
    for (int m = 0; m < protocol::moduleCount; ++m) {
        const protocol::ModuleStatus &module = state.moduleStatus[m];
        modules.append(QJsonObject{
            {QStringLiteral("pd_fault"), module.pdFault},
            {QStringLiteral("qbh_fault"), module.qbhFault},
            {QStringLiteral("fiber_break_fault"), module.fiberBreakFault},
            {QStringLiteral("water_in_high"), module.waterInHiFault},
            {QStringLiteral("water_out_high"), module.waterOutHiFault},
            {QStringLiteral("beam_on"), module.beamOn},
        });
    }

    return QJsonObject{
        {QStringLiteral("alarms"), alarms},
        {QStringLiteral("states"),
         QJsonObject{
             {QStringLiteral("dc_on"), state.dcOn},
             {QStringLiteral("laser_ready"), state.laserReady},
             {QStringLiteral("red_light_on"), state.redLightOn},
         }},
        {QStringLiteral("shown_module"), state.displayModule},
        {QStringLiteral("modules"), modules},
        {QStringLiteral("temperatures"),
         QJsonObject{
             {QStringLiteral("water_in"), degrees(readings.waterIn, state.tempWaterIn)},
             {QStringLiteral("water_out"), degrees(readings.waterOut, state.tempWaterOut)},
             // The float as the CCB sent it, not rounded for display.
             {QStringLiteral("dew_point"), number(protocol::floatAsDecimal(state.dewPointTemp))},
         }},
        {QStringLiteral("inputs"),
         QJsonObject{
             {QStringLiteral("estop2"), state.dinEStop2},
             {QStringLiteral("pwm"), state.dinPwm},
             {QStringLiteral("dc_on"), state.dinDcOn},
             {QStringLiteral("laser_on"), state.dinLaserOn},
             // AI-1 arrives in hundredths.
             {QStringLiteral("analog_in_1"), state.analogIn1 / 100.0},
             {QStringLiteral("pwm_duty"), static_cast<int>(state.pwmDuty)},
             {QStringLiteral("pwm_frequency"),
              static_cast<qint64>(static_cast<quint32>(state.pwmFreq))},
         }},
        {QStringLiteral("outputs"),
         QJsonObject{
             {QStringLiteral("dc_on"), state.doutDcOn},
             {QStringLiteral("fault"), state.doutFault},
         }},
        {QStringLiteral("versions"),
         QJsonObject{
             {QStringLiteral("ccb"), state.ccbVersion},
             {QStringLiteral("driver_board"), state.driverBoardVersion[0][0]},
         }},
        {QStringLiteral("product"),
         QJsonObject{
             {QStringLiteral("type"), state.productType},
             {QStringLiteral("serial_number"), state.serialNumber},
             {QStringLiteral("ccb_date_time"), state.ccbDateTime},
         }},
        {QStringLiteral("link"),
         QJsonObject{
             {QStringLiteral("port"), link.portName},
             {QStringLiteral("open"), link.open},
             {QStringLiteral("last_frame_at"), time(link.lastFrameAt)},
         }},
        {QStringLiteral("unacknowledged"), QJsonArray::fromStringList(unacknowledged)},
    };
}

QByteArray statusPayload(const QJsonObject &status, const QString &laserId, qint64 at,
                         const QString &instance) {
    QJsonObject object = status;
    object.insert(QStringLiteral("laser_id"), laserId);
    object.insert(QStringLiteral("at"), at);
    if (!instance.isEmpty())
        object.insert(QStringLiteral("instance"), instance);
    return compact(object);
}

QByteArray eventPayload(const events::Event &event) {
    return compact(QJsonObject{
        {QStringLiteral("at"), event.at},
        {QStringLiteral("category"), event.category},
        {QStringLiteral("name"), event.name},
        {QStringLiteral("value"), event.value},
        {QStringLiteral("detail"), event.detail},
    });
}

QByteArray eventPayload(const events::StoredEvent &stored) {
    const events::Event &event = stored.event;
    QJsonObject object{
        {QStringLiteral("at"), event.at},         {QStringLiteral("category"), event.category},
        {QStringLiteral("name"), event.name},     {QStringLiteral("value"), event.value},
        {QStringLiteral("detail"), event.detail},
    };
    // No id: an event the history could not take, sent as it came.
    if (stored.id > 0)
        object.insert(QStringLiteral("id"), stored.id);
    if (stored.late)
        object.insert(QStringLiteral("late"), true);
    return compact(object);
}

QByteArray samplePayload(const events::Sample &sample) {
    return compact(QJsonObject{
        {QStringLiteral("at"), sample.at},
        {QStringLiteral("water_in"), number(sample.waterIn)},
        {QStringLiteral("water_out"), number(sample.waterOut)},
        {QStringLiteral("dew_point"), number(sample.dewPoint)},
    });
}

} // namespace plant
