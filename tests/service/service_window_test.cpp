// The service menu of the window against a CCB that answers on a pseudo-terminal: profiles
// saved, compared and restored, the cases in which nothing may be written, and the support
// bundle exported while frames flow.

#include "bundle_reader.h"
#include "support/answering_ccb.h"
#include "support/table.h"
#include "support/window_fixture.h"

#include "history/recorder.h"
#include "preference/language_preference.h"
#include "protocol/commands.h"
#include "service/profile.h"
#include "service/settings_fields.h"
#include "ui/service/service_kit.h"
#include "ui/service/settings_link.h"

#include <QLabel>
#include <QMenuBar>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace fixture;
using service::ProfileDialog;
using Step = service::ProfileDialog::Step;

namespace {

const QByteArray deviceValue = frames::sevenBytes(0x0A, 0x41, 0x02, 0x20, 6);
const QByteArray password = "Pw-7f3k!x";

// The product info frame for another product type.
QByteArray productInfo(const QByteArray &type) {
    return frames::productInfo(type.leftJustified(16, '\0'),
                               QByteArray("SN1").leftJustified(12, '\0'));
}

service::SettingsProfile profileOf(const QByteArray &value) {
    service::SettingsProfile p;
    p.value = value;
    p.savedAt = 1796662420295;
    return p;
}

// The window, its service menu and an answering CCB that holds `deviceValue`.
struct Bench {
    PtyWindow win;
    AnsweringCcb ccb{*win.pty};
    service::ServiceKit *kit = win.w().findChild<service::ServiceKit *>();
    history::Recorder *recorder = win.w().findChild<history::Recorder *>();
    QList<events::Event> rows; // the service kit's history rows
    QTemporaryDir files;

    Bench() {
        ccb.model.setSettings(protocol::decodeSystemSettings(deviceValue.constData()));
        QObject::connect(recorder, &history::Recorder::eventRecorded,
                         [this](const events::Event &e) {
                             if (e.category == QLatin1String("settings") &&
                                 e.name.startsWith(QLatin1String("profile")))
                                 rows << e;
                         });
    }

    bool open() {
        return win.open() && win.send(ccb.model.frame(ccbsim::Message::ProductInfo,
                                                      QDateTime::currentDateTime()));
    }
    bool readBackOnPage() {
        win.form()->pushButton_sysSet_readBack1->click();
        return waitUntil([this] { return kit->saveAction()->isEnabled(); });
    }
    QString path(const char *name) const { return files.filePath(QLatin1String(name)); }
    bool save(const QString &file) {
        QSignalSpy saved(kit, &service::ServiceKit::profileSaved);
        kit->saveProfileTo(file);
        return (saved.count() > 0 || saved.wait(5000)) && saved.first().at(1).toBool();
    }
    // Open, read back and saved to `name` in the scratch folder: the file's path, or empty.
    QString savedProfile(const char *name) {
        const QString file = path(name);
        return open() && readBackOnPage() && save(file) ? file : QString();
    }
    // Opens a compare or restore and waits until it shows its table (or gave up).
    ProfileDialog *openAndRead(ProfileDialog::Mode mode, const QString &file) {
        // A closed dialog deletes itself later; a test's own event loop must let it.
        if (!waitUntil([this] {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                return !kit->profileDialog();
            }))
            return nullptr;
        kit->openProfile(mode, file);
        if (!waitUntil([this] { return kit->profileDialog(); }))
            return nullptr;
        ProfileDialog *d = kit->profileDialog();
        waitUntil([d] { return d->step() != Step::Reading; }, 5000);
        return d;
    }
    // Every frame the window sent before now, found behind a marker frame.
    QList<QByteArray> sent() {
        return ccb.sentBeforeNow([this] { SerialProbe::cmdSnd_clearFaultAll(win.w()); });
    }
    static bool isSettingsWrite(const QByteArray &frame) {
        return frame.startsWith(frames::hex("EF 0E 11 00 00 38 28"));
    }
};

} // namespace

class ServiceWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { workDir = WorkDir::chinese(); }

    void theServiceMenuSitsBetweenDiagnosticsAndHelp() {
        Bench b;
        QStringList titles;
        for (QAction *a : b.win.w().menuBar()->actions())
            titles << a->text();
        const int service = titles.indexOf(QStringLiteral("维护"));
        QVERIFY2(service > 0, qPrintable(titles.join(',')));
        QCOMPARE(titles.at(service - 1), QStringLiteral("诊断"));
        QVERIFY(titles.at(service + 1).contains(QStringLiteral("帮助")));
        QStringList items;
        for (QAction *a : b.kit->menu()->actions())
            if (!a->isSeparator())
                items << a->text();
        QCOMPARE(items, QStringList({"保存设定到文件...", "与文件比较...", "从文件写入...",
                                     "导出诊断包..."}));

        // The English catalogue has every text of the menu.
        // The window hears of a new language through a posted event.
        SerialProbe::tianslations(b.win.w(), &preference::english);
        const bool english =
            waitUntil([&] { return b.kit->menu()->title() == QLatin1String("Service"); });
        const QString bundleText = b.kit->bundleAction()->text();
        SerialProbe::tianslations(b.win.w(), &preference::chinese);
        QVERIFY(waitUntil([&] { return b.kit->menu()->title() == QStringLiteral("维护"); }));
        QVERIFY(english);
        QCOMPARE(bundleText, QStringLiteral("Export support bundle..."));
    }

    void saveIsOfferedOnlyAfterAnAnsweredReadBackOfThisOpen() {
        Bench b;
        QVERIFY(b.open());
        QVERIFY(!b.kit->saveAction()->isEnabled());
        QVERIFY(b.readBackOnPage());
        b.win.form()->pushButtonSerialSwitch->click(); // close
        QVERIFY(!b.kit->saveAction()->isEnabled());
        // The value stays known for the support bundle.
        QCOMPARE(b.kit->settingsLink().lastValue().toHex(' '), deviceValue.toHex(' '));
    }

    void aSavedProfileFindsTheChangedBitAndRestoresExactlyTheFileValue() {
        Bench b;
        const QString file = b.savedProfile("laser.ccbsettings");
        QVERIFY(!file.isEmpty());
        const service::ProfileLoad saved = service::loadProfile(file);
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QCOMPARE(saved.profile.value.toHex(' '), deviceValue.toHex(' '));
        QCOMPARE(saved.profile.productType, QStringLiteral("FL-SIM-1000"));

        // Someone unmasks the PD alarm on the device.
        protocol::SystemSettings changed = b.ccb.model.settings();
        changed.faultDisablePd = false;
        b.ccb.model.setSettings(changed);

        ProfileDialog *compare = b.openAndRead(ProfileDialog::Compare, file);
        QVERIFY(compare);
        QCOMPARE(compare->step(), Step::Compared);
        QCOMPARE(compare->table()->rowCount(), 1);
        QCOMPARE(compare->table()->item(0, 0)->text(), QStringLiteral("屏蔽PD警报"));
        QCOMPARE(compare->table()->item(0, 1)->text(), QStringLiteral("是"));
        QCOMPARE(compare->table()->item(0, 2)->text(), QStringLiteral("否"));
        QVERIFY(compare->noteText().isEmpty());
        QVERIFY(!compare->writeButton()->isVisible());
        compare->close();
        QCOMPARE(b.sent(),
                 QList<QByteArray>({protocol::settingsReadFrame(), protocol::settingsReadFrame()}));

        ProfileDialog *restore = b.openAndRead(ProfileDialog::Restore, file);
        QVERIFY(restore);
        QVERIFY(restore->writeButton()->isEnabled());
        BoxCloser yes(QMessageBox::Yes);
        restore->writeButton()->click();
        QVERIFY(waitUntil([&] { return restore->step() == Step::Verified; }, 5000));
        QCOMPARE(yes.count(), 1);
        // Read, write of exactly the file's value, verify read.
        QCOMPARE(b.sent(), QList<QByteArray>({protocol::settingsReadFrame(),
                                              frames::settingsWrite(deviceValue),
                                              protocol::settingsReadFrame()}));
        QCOMPARE(b.ccb.model.settingsBytes().toHex(' '), deviceValue.toHex(' '));

        QStringList history;
        for (const events::Event &e : b.rows)
            history << e.name + QLatin1Char(' ') + e.value;
        QCOMPARE(history, QStringList({"profileSaved saved", "profileCompared 1 fields differ",
                                       "profileRestored verified"}));
        QVERIFY2(b.rows.last().detail.contains(QStringLiteral("before: 0A 01 02 20 06 00 00; "
                                                              "after: 0A 41 02 20 06 00 00")),
                 qPrintable(b.rows.last().detail));
        QVERIFY(b.rows.last().detail.contains(file));
        QCOMPARE(b.rows.first().detail,
                 QStringLiteral("file: %1; file value: 0A 41 02 20 06 00 00; "
                                "before: 0A 41 02 20 06 00 00; after: 0A 41 "
                                "02 20 06 00 00")
                     .arg(file));
    }

    void saveAfterAWriteWaitsForAFreshReadBack() {
        Bench b;
        QVERIFY(b.open());
        QVERIFY(b.readBackOnPage());
        // The page's 设定: the CCB answers the write, and that answer is not a read-back.
        b.win.form()->checkBox_RedOnBeam->setChecked(
            !b.win.form()->checkBox_RedOnBeam->isChecked());
        SerialProbe::ticks(b.win.w(), 1); // the tick gives 设定 back after the read-back
        b.win.form()->pushButton_sysSet_set1->click();
        QVERIFY(waitUntil([&] { return b.ccb.model.counters().settingsWrites == 1; }));
        QVERIFY(waitUntil([&] { return !b.kit->saveAction()->isEnabled(); }));
        QSignalSpy saved(b.kit, &service::ServiceKit::profileSaved);
        b.kit->saveProfileTo(b.path("stale.ccbsettings"));
        QVERIFY(!saved.first().at(1).toBool());
        QCOMPARE(b.rows.last().value, QStringLiteral("not saved: no fresh read-back"));
        // A read-back after the write gives the laser's present value.
        QVERIFY(b.readBackOnPage());
        QVERIFY(b.save(b.path("fresh.ccbsettings")));
        QCOMPARE(service::loadProfile(b.path("fresh.ccbsettings")).profile.value.toHex(' '),
                 b.ccb.model.settingsBytes().toHex(' '));
    }

    void theOverwriteQuestionIsAboutTheNameReallyWritten() {
        Bench b;
        QVERIFY(b.open() && b.readBackOnPage());
        QFile existing(b.path("laser.ccbsettings"));
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("mine") == 4);
        existing.close();
        QSignalSpy saved(b.kit, &service::ServiceKit::profileSaved);
        {
            BoxCloser no(QMessageBox::Cancel);
            b.kit->saveProfileAs(b.path("laser"));
            QVERIFY(saved.wait(5000));
            QVERIFY2(no.box().text.contains(b.path("laser.ccbsettings")),
                     qPrintable(no.box().text));
        }
        QVERIFY(existing.open(QIODevice::ReadOnly) && existing.readAll() == "mine");
        QCOMPARE(b.rows.last().value, QStringLiteral("not saved: overwrite declined"));
        BoxCloser yes(QMessageBox::Yes);
        b.kit->saveProfileAs(b.path("laser"));
        QVERIFY(saved.wait(5000) && saved.last().at(1).toBool());
        QVERIFY(service::loadProfile(b.path("laser.ccbsettings")).ok);
    }

    void aFailedVerificationShowsTheFileAgainstTheLaserAfterTheWrite() {
        Bench b;
        QVERIFY(b.open());
        service::SettingsProfile profile = profileOf(deviceValue);
        profile.productType = QStringLiteral("<b>FL</b>\u202E");
        profile.value[0] = char(profile.value.at(0) ^ 0x02); // one more flag than the laser has
        QFile file(b.path("other.ccbsettings"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(service::profileJson(profile)) > 0);
        file.close();
        ProfileDialog *d = b.openAndRead(ProfileDialog::Restore, file.fileName());
        QVERIFY(d);
        // Text from the file is shown as what it is.
        QVERIFY2(d->noteText().contains(QStringLiteral("<b>FL</b><U+202E>")),
                 qPrintable(d->noteText()));
        QCOMPARE(d->findChild<QLabel *>(QStringLiteral("profileNote"))->textFormat(),
                 Qt::PlainText);
        // The CCB answers the write but keeps what it had.
        b.ccb.silent = true;
        BoxCloser yes(QMessageBox::Yes);
        d->writeButton()->click();
        QVERIFY(waitUntil([&] {
            return std::any_of(b.ccb.received.begin(), b.ccb.received.end(),
                               Bench::isSettingsWrite);
        }));
        b.ccb.silent = false;
        b.ccb.send(frames::parameterReply(40, deviceValue));
        protocol::SystemSettings changed = b.ccb.model.settings();
        changed.pdLeakageLevel = 4050;
        b.ccb.model.setSettings(changed);
        QVERIFY(waitUntil([&] { return d->step() == Step::Differs; }, 5000));
        QCOMPARE(d->table()->rowCount(), 2);
        QCOMPARE(d->table()->item(1, 2)->text(), QStringLiteral("4050"));
        QVERIFY(b.rows.last().value.startsWith(QStringLiteral("not verified: 2 fields differ")));
    }

    void everyBadFileChangesNothingAndSendsNothing_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("mode");
        QTest::newRow("not JSON, compare") << QByteArray("hello") << int(ProfileDialog::Compare);
        QTest::newRow("not JSON, restore") << QByteArray("hello") << int(ProfileDialog::Restore);
        QByteArray json = service::profileJson(profileOf(deviceValue));
        QTest::newRow("newer format")
            << QByteArray(json).replace("\"version\": 1", "\"version\": 9")
            << int(ProfileDialog::Restore);
        QTest::newRow("value does not decode")
            << QByteArray(json).replace("0A 41 02 20 06 00 00", "0A 41 02 20 86 00 00")
            << int(ProfileDialog::Restore);
        QTest::newRow("fields missing")
            << QByteArray(json).replace("\"fields\"", "\"felds\"") << int(ProfileDialog::Restore);
        QTest::newRow("100 MB") << QByteArray() << int(ProfileDialog::Restore);
    }
    void everyBadFileChangesNothingAndSendsNothing() {
        QFETCH(QByteArray, text);
        QFETCH(int, mode);
        Bench b;
        QVERIFY(b.open());
        QFile file(b.path("bad.ccbsettings"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (text.isEmpty())
            QVERIFY(file.resize(qint64(100) << 20));
        else
            file.write(text);
        file.close();
        const protocol::SystemSettings before = b.win.state().settings;

        QSignalSpy refused(b.kit, &service::ServiceKit::profileRefused);
        BoxCloser ok;
        b.kit->openProfile(ProfileDialog::Mode(mode), file.fileName());
        QVERIFY(refused.wait(5000));
        QVERIFY(ok.waitForBox());
        QVERIFY2(ok.box().text.contains(refused.first().first().toString()),
                 qPrintable(ok.box().text));
        QVERIFY(!b.kit->profileDialog());
        QCOMPARE(b.sent(), QList<QByteArray>());
        QCOMPARE(b.ccb.model.counters().settingsReads + b.ccb.model.counters().settingsWrites,
                 quint64(0));
        QVERIFY(b.win.state().settings == before);
        QVERIFY(b.rows.isEmpty());
    }

    void aFileWhoseFieldsDisagreeAsksFirstAndThenUsesTheRawValue() {
        Bench b;
        QVERIFY(b.open());
        service::SettingsProfile profile = profileOf(deviceValue);
        profile.productType = QStringLiteral("FL-SIM-1000");
        // The file claims PgmIO is on; its raw value says off.
        QByteArray json = service::profileJson(profile);
        const int pgm = json.indexOf("\"name\": \"pgmEnabled\"");
        json.replace(json.indexOf("\"value\": false", json.lastIndexOf('{', pgm)), 14,
                     "\"value\": true");
        QFile file(b.path("edited.ccbsettings"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(json) > 0);
        file.close();

        {
            BoxCloser cancel(QMessageBox::Cancel);
            QSignalSpy refused(b.kit, &service::ServiceKit::profileRefused);
            b.kit->openProfile(ProfileDialog::Restore, file.fileName());
            QVERIFY(refused.wait(5000));
            QVERIFY(cancel.box().text.contains(QStringLiteral("工艺程序PgmIO")));
            QVERIFY(cancel.box().text.contains(QStringLiteral("以原始值为准")));
            QCOMPARE(b.sent(), QList<QByteArray>());
        }
        BoxCloser yes(QMessageBox::Yes);
        ProfileDialog *d = b.openAndRead(ProfileDialog::Restore, file.fileName());
        QVERIFY(d);
        QVERIFY(d->noteText().contains(QStringLiteral("以原始值为准")));
        // The device holds the raw value: identical, nothing to write.
        QCOMPARE(d->step(), Step::Compared);
        QCOMPARE(d->table()->rowCount(), 0);
        QVERIFY(!d->writeButton()->isEnabled());
        QCOMPARE(b.rows.last().value, QStringLiteral("identical: nothing written"));
    }

    void nothingIsWrittenWhenTheReadBackIsNotAnsweredThePortClosesOrTheUserCancels_data() {
        fixture::columns<QString, QString>("what", "row");
        QTest::newRow("no answer") << "no answer"
                                   << "not read: 激光器没有回答";
        QTest::newRow("port closed") << "port closed"
                                     << "not written: the port closed";
        QTest::newRow("user cancels") << "user cancels"
                                      << "declined: nothing written";
    }
    void nothingIsWrittenWhenTheReadBackIsNotAnsweredThePortClosesOrTheUserCancels() {
        QFETCH(QString, what);
        QFETCH(QString, row);
        Bench b;
        const QString file = b.savedProfile("laser.ccbsettings");
        QVERIFY(!file.isEmpty());
        protocol::SystemSettings changed = b.ccb.model.settings();
        changed.redOnExternal = true;
        b.ccb.model.setSettings(changed);
        QCOMPARE(b.sent().size(), 1); // the page's read-back

        b.kit->settingsLink().setTimeoutMs(1000);
        b.ccb.silent = what == QLatin1String("no answer");
        ProfileDialog *d = b.openAndRead(ProfileDialog::Restore, file);
        QVERIFY(d);
        BoxCloser cancel(QMessageBox::Cancel);
        if (what == QLatin1String("no answer")) {
            QCOMPARE(d->step(), Step::Failed);
            QVERIFY2(d->statusText().contains(QStringLiteral("激光器没有回答")),
                     qPrintable(d->statusText()));
        } else if (what == QLatin1String("port closed")) {
            QCOMPARE(d->step(), Step::Compared);
            SerialProbe::PortSwitch(b.win.w());
            QCOMPARE(d->step(), Step::Failed);
            QVERIFY(d->statusText().contains(QStringLiteral("串口已关闭")));
        } else {
            QVERIFY(d->writeButton()->isEnabled());
            d->writeButton()->click();
            QCOMPARE(cancel.count(), 1);
            QCOMPARE(d->step(), Step::Compared);
        }
        if (what != QLatin1String("user cancels"))
            QVERIFY(!d->writeButton()->isEnabled());
        // Every outcome is a row of the history.
        QCOMPARE(b.rows.last().name + QLatin1Char(' ') + b.rows.last().value,
                 QStringLiteral("profileRestored ") + row);
        d->writeButton()->click();
        b.ccb.silent = false;
        if (!SerialProbe::portOpen(b.win.w()))
            QVERIFY(b.win.open());
        const QList<QByteArray> sent = b.sent();
        QVERIFY(std::none_of(sent.begin(), sent.end(), Bench::isSettingsWrite));
        QCOMPARE(b.ccb.model.counters().settingsWrites, quint64(0));
        QVERIFY(b.ccb.model.settings().redOnExternal);
    }

    void aProfileOfAnotherProductTypeNeedsASecondConfirmation() {
        Bench b;
        const QString file = b.savedProfile("other.ccbsettings");
        QVERIFY(!file.isEmpty());
        QVERIFY(b.win.send(productInfo("FL-OTHER-2000")));
        QCOMPARE(b.win.state().productType, QStringLiteral("FL-OTHER-2000"));
        protocol::SystemSettings changed = b.ccb.model.settings();
        changed.pdLeakageLevel = 4050;
        b.ccb.model.setSettings(changed);
        b.sent();

        ProfileDialog *d = b.openAndRead(ProfileDialog::Restore, file);
        QVERIFY(d);
        QVERIFY2(d->noteText().contains(QStringLiteral("另一种产品")), qPrintable(d->noteText()));
        {
            BoxCloser firstYesThenCancel({QMessageBox::Yes, QMessageBox::Cancel});
            d->writeButton()->click();
            QCOMPARE(firstYesThenCancel.count(), 2);
            QVERIFY(firstYesThenCancel.texts().at(1).contains(QStringLiteral("FL-OTHER-2000")));
        }
        QCOMPARE(d->step(), Step::Compared);
        QList<QByteArray> sent = b.sent();
        QCOMPARE(sent, QList<QByteArray>({protocol::settingsReadFrame()}));

        BoxCloser yesTwice(QMessageBox::Yes);
        d->writeButton()->click();
        QVERIFY(waitUntil([&] { return d->step() == Step::Verified; }, 5000));
        QCOMPARE(yesTwice.count(), 2);
        QCOMPARE(b.ccb.model.settingsBytes().toHex(' '), deviceValue.toHex(' '));
    }

    // The settings page asks before the QBH alarm is masked; a file written back asks the same.
    void aProfileThatMasksTheQbhAlarmAsksThePagesWarning() {
        Bench b;
        protocol::SystemSettings laser = b.ccb.model.settings();
        laser.faultDisableFiberInter = true;
        b.ccb.model.setSettings(laser);
        const QString file = b.savedProfile("qbh.ccbsettings");
        QVERIFY(!file.isEmpty());
        laser.faultDisableFiberInter = false;
        b.ccb.model.setSettings(laser);
        b.sent();
        ProfileDialog *d = b.openAndRead(ProfileDialog::Restore, file);
        QVERIFY(d);
        BoxCloser yesThenCancel({QMessageBox::Yes, QMessageBox::Cancel});
        d->writeButton()->click();
        QVERIFY(yesThenCancel.count() == 2 && yesThenCancel.texts().at(1).contains("屏蔽QBH警报"));
        QCOMPARE(b.sent(), QList<QByteArray>({protocol::settingsReadFrame()}));
    }

    void aBundleExportedWhileFramesFlowOpensWithUnzipAndHoldsTheRows() {
        Bench b;
        QVERIFY(b.open());
        QVERIFY(b.readBackOnPage());
        // Written after the window started, so the plant link stays off in this test.
        QDir().mkpath(QStringLiteral("config"));
        QFile ini(QStringLiteral("config/plant.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[mqtt]\nurl = mqtt://127.0.0.1:1\nusername = u\npassword = " + password + "\n");
        ini.close();

        // The CCB at line rate (about 11 kB/s): status rounds, a chiller alarm going on and off
        // so the history keeps writing rows.
        bool chiller = false;
        QTimer feed;
        feed.setInterval(20);
        QObject::connect(&feed, &QTimer::timeout, [&] {
            chiller = !chiller;
            b.ccb.model.setAlarm(ccbsim::Alarm::Chiller, chiller);
            QByteArray round;
            for (const QByteArray &f : b.ccb.model.statusRound(QDateTime::currentDateTime()))
                round += f;
            b.ccb.send(round);
        });
        feed.start();
        QVERIFY(waitUntil([&] { return b.recorder->figures().framesIn > 500; }, 10000));
        b.recorder->flushNow();

        QSignalSpy finished(b.kit, &service::ServiceKit::bundleFinished);
        const QString bundle = b.path("bundle.zip");
        QVERIFY(b.kit->exportBundle(bundle, service::Period::All));
        QVERIFY(finished.wait(60000));
        feed.stop();
        const auto result = finished.first().first().value<service::BundleResult>();
        QVERIFY2(result.outcome == service::BundleResult::Written, qPrintable(result.error));

        BundleReader reader(bundle);
        QCOMPARE(reader.test(), 0);
        QCOMPARE(reader.entriesContaining(password), QStringList());
        QVERIFY(result.entries.contains(QStringLiteral("config/plant.ini")));
        QVERIFY(std::any_of(result.entries.begin(), result.entries.end(), [](const QString &n) {
            return n.startsWith(QLatin1String("capture/"));
        }));
        QVERIFY(reader.entry(QStringLiteral("frames.csv")).count("\r\n") > 500);
        const QByteArray about = reader.entry(QStringLiteral("about.txt"));
        QVERIFY(about.contains("product type: FL-SIM-1000"));
        QVERIFY(about.contains("last settings value read back: 0A 41 02 20 06 00 00"));
        QVERIFY(about.contains("port settings: 115200 8N1"));
        QCOMPARE(reader.database(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
        const int chillerRows =
            reader
                .database(QStringLiteral("SELECT count(*) FROM events WHERE name = 'chillerFault'"))
                .toInt();
        QVERIFY2(chillerRows > 10, qPrintable(QString::number(chillerRows)));
        QFile::remove(QStringLiteral("config/plant.ini"));
    }

    void aCancelledExportLeavesNoFileUnderTheChosenName() {
        Bench b;
        QSignalSpy finished(b.kit, &service::ServiceKit::bundleFinished);
        const QString bundle = b.path("cancelled.zip");
        service::BundleJob *job = b.kit->exportBundle(bundle, service::Period::All);
        QVERIFY(job && job->progressDialog()->isVisible());
        QPushButton *cancel = job->progressDialog()->findChild<QPushButton *>();
        QVERIFY(cancel);
        cancel->click();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().value<service::BundleResult>().outcome,
                 service::BundleResult::Cancelled);
        QCOMPARE(QDir(b.files.path()).entryList(QDir::Files), QStringList());
    }

private:
    std::unique_ptr<WorkDir> workDir;
};

QTEST_MAIN(ServiceWindow)
#include "service_window_test.moc"
