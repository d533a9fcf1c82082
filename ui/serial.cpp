#include "ui/serial.h"

#include "history/recorder.h"
#include "link/port_loss.h"
#include "plant/plant_link.h"
#include "preference/language_preference.h"
#include "ui/alarms/alarm_desk.h"
#include "ui/diagnostics/diagnostics_window.h"
#include "ui/operator_view.h"
#include "ui/plant_status.h"
#include "ui/port_history.h"
#include "ui/service/service_kit.h"
#include "ui_serial.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSerialPort>
#include <QTimer>
#include <QTranslator>

// The resources live in this static library; register them before the form needs its icons.
static void registerResources() {
    Q_INIT_RESOURCE(resources);
}

Serial::Serial(QWidget *parent)
    : QMainWindow(parent), form(new SerialForm), portOpen(false), firstPortSetup(true),
      linkSilenceCount(0), replyTimeoutTicks(800), port(new QSerialPort), crcFail(0), crcOk(1) {
    registerResources();
    form->setupUi(this);
    form->stackedWidget->setCurrentIndex(0);
    recorder = new history::Recorder(this);
    // The diagnostics menu before the help menu, its window and the status line.
    auto *diagnosticsMenu =
        new diagnostics::Diagnostics(*this, form->menu_Help->menuAction(), *port, *recorder);
    // The service menu after it, before the help menu; its requests go out as the page's do.
    serviceKit =
        new service::ServiceKit(*this, form->menu_Help->menuAction(), *port, deviceState, *recorder,
                                [this](const QByteArray &frame) { sendFrame(frame); });
    // The lamp look is in place before any pass.
    operatorView = new OperatorView(*this, *form);
    alarmDesk = new alarm_summary::AlarmDesk(*this, *recorder, *operatorView);

    languageFile(&preference::requestRead);
    tianslations(&language);

    // The operating modes' items, and the leakage limit's range, as a profile is checked.
    setSettingsChoices(*form);

    // Writing the settings needs an answered read-back first.
    form->pushButton_sysSet_set1->setEnabled(false);

    rxTimer = new QTimer(this);
    rxTimer->setInterval(200);
    connect(rxTimer, SIGNAL(timeout()), this, SLOT(timUartRx_CallBack()));

    tickTimer = new QTimer(this);
    tickTimer->setInterval(1);
    connect(tickTimer, SIGNAL(timeout()), this, SLOT(tim1ms_CallBack()));
    tickTimer->start();

    setupConnections();
    resetDeviceState();
    plantLink = startPlantLink(*this, port->portName(), *recorder, *diagnosticsMenu);

    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            [this] { endRun(); });
#if QT_CONFIG(sessionmanager)
    // A session that ends may kill the program right after asking it to save: end the run
    // now, and quit, as Qt 5's own fallback closes every window at this request.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this] {
        endRun();
        QCoreApplication::exit(0);
    });
#endif
}

Serial::~Serial() {
    endRun();
    delete form;
    // Deleting the port closes it.
    delete port;
}

void Serial::endRun() {
    if (portOpen)
        PortSwitch();
    recorder->finish();
    endPlantLink(plantLink, *recorder);
}

void Serial::setupConnections() {
    if (firstPortSetup) {
        FindCOM();
        form->comboBoxCOM->setCurrentIndex(0);
        applyInitialPortSettings();
        firstPortSetup = false;
    }

    // Made after the initial listing, so the selection made above does not reach SetPort.
    connect(form->pushButtonSerialSwitch, &QPushButton::clicked, this, [this] { PortSwitch(); });
    connect(form->pushButtonUpData, &QPushButton::clicked, this, [this] { PortUpdata(); });
    connect(form->comboBoxCOM, &QComboBox::currentTextChanged, this, [this] { SetPort(); });
    connect(port, &QSerialPort::readyRead, this, [this] { ReceiveData(); });
    connect(port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (seriallink::meansDeviceGone(error, port->isOpen()))
            deviceGone(port->errorString());
        else if (porthistory::isPortError(error))
            recorder->portError(port->portName(), port->errorString());
    });
    connect(form->pushButton_redon, &QPushButton::clicked, this, [this] { cmdSnd_redOn(1); });
    connect(form->pushButton_redoff, &QPushButton::clicked, this, [this] { cmdSnd_redOn(2); });
    connect(form->actionEnglish, &QAction::triggered, this,
            [this] { tianslations(&preference::english); });
    connect(form->actionChinese, &QAction::triggered, this,
            [this] { tianslations(&preference::chinese); });
    connect(form->actionAbout, &QAction::triggered, this, [this] { showAbout(); });
}

void Serial::showAbout() {
    QMessageBox::about(
        this, QStringLiteral("About"),
        tr("光纤激光器上位机 LASER SYSTEM_V0.3.10<br>通过串口与中央控制板(CCB)通信。"));
}

void Serial::on_actionSys_set_triggered() {
    form->stackedWidget->setCurrentIndex(1);
}

void Serial::on_actionMasterWindow_triggered() {
    form->stackedWidget->setCurrentIndex(0);
}

void Serial::tianslations(const QString *lang) {
    // A new translator each time; earlier ones stay installed, the newest is searched first.
    auto *translator = new QTranslator(this);
    if (translator->load(preference::catalogueFor(*lang)))
        QCoreApplication::installTranslator(translator);
    form->retranslateUi(this);
    operatorView->retranslate();
    languageFile(lang);
}

void Serial::languageFile(const QString *request) {
    const bool fileExists = QFileInfo(preference::languageFilePath()).isFile();

    if (fileExists && *request == preference::requestRead) {
        QFile file(preference::languageFilePath());
        // A file that cannot be opened reads as empty and leaves the language unset.
        file.open(QIODevice::ReadOnly);
        const QString value = preference::parseLanguage(QString::fromUtf8(file.readAll()));
        if (!value.isEmpty())
            language = value;
        return;
    }

    if (fileExists) {
        // A file without a valid line leaves the language unset; record the default so the
        // next start reads a valid file.
        const QString &value =
            (*request == preference::english) ? preference::english : preference::chinese;
        if (preference::rewriteExisting(value) != preference::WriteFailure::None)
            QMessageBox::critical(this, tr("错误"), tr("打开文件失败"));
        return;
    }

    for (const preference::WriteFailure failure : preference::createDefault()) {
        if (failure == preference::WriteFailure::CreateDirectory)
            QMessageBox::critical(this, tr("错误"), tr("新建目录失败"));
        else if (failure == preference::WriteFailure::CreateFile)
            QMessageBox::critical(this, tr("错误"), tr("新建文件失败"));
    }
    if (*request == preference::requestRead)
        language = preference::chinese;
}

#include "moc_serial.cpp"
