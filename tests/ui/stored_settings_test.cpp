#include <QCheckBox>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "ui/Settings.h"
#include "ui/StoredSettings.h"
#include "ui/WindowGeometry.h"
#include "ui_test_support.h"

using namespace qv;
using namespace qv::ui;
using namespace qv::ui::testing;

namespace {

// Every field of the record, by its stored key.
QMap<QString, QString> Fields(const TSettings& s, const QString& file) {
    QSettings store(file, QSettings::IniFormat);
    store.clear();
    WriteSettings(store, s);
    QMap<QString, QString> out;
    for (const QString& k : store.allKeys()) out[k] = store.value(k).toString();
    return out;
}

}  // namespace

class StoredSettingsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString File(const char* name) const { return dir_.filePath(QLatin1String(name)); }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir_.isValid());
    }

    // Kept at the end of one run, found at the start of the next: the
    // record, the computer's colours and level and the windows' places; the
    // help window's key is left as it was.
    void roundTrip() {
        const QString file = File("round.conf");
        TSettings changed;
        {
            Program p;
            QSettings store(file, QSettings::IniFormat);
            TSettings& s = *p.w.Form2->CurrentSettings;
            s.SeparateAISettings = true;
            s.RedSearchDepth = 4;
            s.BlueSearchWidth = 17;
            s.BlueStrongSearch = true;
            s.BlueStrongThinkingMs = 2500;
            s.ShowSquares = true;
            s.Sound = false;
            s.SearchThreads = 3;
            changed = s;
            p.main.Controller.Opponents.SetLevel(7);
            p.main.Controller.Opponents.SetComputerPlays(Red, true);
            p.main.move(30, 40);
            p.main.resize(300, 420);
            p.w.TestForm->show();
            p.w.TestForm->move(120, 90);
            p.main.close();  // as the program ends
            KeepStored(p.w, store);
            store.sync();
            QVERIFY(!store.contains(kShowAtStartUpKey));
            // Never opened, the analysis window goes on opening beside the main one.
            QVERIFY(!store.contains(QStringLiteral("windows/analysis/position")));
        }
        Program q;
        QSettings store(file, QSettings::IniFormat);
        RestoreStored(q.w, store);
        TForm2& d = *q.w.Form2;
        QCOMPARE(Fields(*d.CurrentSettings, File("a.conf")), Fields(changed, File("b.conf")));
        // The dialog shows what was kept.
        QVERIFY(d.cbRBAISettings->isChecked());
        QCOMPARE(d.tbRedAIDepth->value(), 4);
        QVERIFY(d.rbBlueStrong->isChecked());
        QVERIFY(q.main.Controller.Opponents.ComputerPlays(Red));
        QCOMPARE(q.main.Controller.Opponents.Level(), 7);
        QVERIFY(!q.main.Controller.Opponents.ComputerPlays(Blue));
        QCOMPARE(q.main.pos(), QPoint(30, 40));
        QCOMPARE(q.main.size(), QSize(300, 420));
        QCOMPARE(q.w.TestForm->pos(), QPoint(120, 90));
        q.main.Controller.Opponents.SetComputerPlays(Red, false);
    }

    // What cannot be read keeps the default; numbers out of range are clamped.
    void unreadableValues_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("read");
        QTest::newRow("garbage depth") << "SearchDepth"
                                       << "deep"
                                       << "11";
        QTest::newRow("depth too deep") << "SearchDepth"
                                        << "99"
                                        << "15";
        QTest::newRow("width below range") << "RedSearchWidth"
                                           << "-4"
                                           << "1";
        QTest::newRow("thinking time too long") << "StrongThinkingMs"
                                                << "99999999999"
                                                << "30000";
        QTest::newRow("garbage switch") << "Sound"
                                        << "maybe"
                                        << "true";
        QTest::newRow("a switch turned off") << "Sound"
                                             << "false"
                                             << "false";
        QTest::newRow("garbage threads") << "SearchThreads"
                                         << "@Point(1 2)"
                                         << "default";
    }
    void unreadableValues() {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, read);
        const QString file = File("garbage.conf");
        {
            QSettings store(file, QSettings::IniFormat);
            store.clear();
            store.setValue(QStringLiteral("settings/") + key, stored);
        }
        QSettings store(file, QSettings::IniFormat);
        TSettings s;
        ReadSettings(store, s);
        const TSettings defaults;
        QMap<QString, QString> expected = Fields(defaults, File("d.conf"));
        if (read != QLatin1String("default")) expected[QStringLiteral("settings/") + key] = read;
        QCOMPARE(Fields(s, File("r.conf")), expected);
    }

    // A window kept off every screen comes back onto one; a place that is
    // no place leaves the window where it is.
    void windowsComeBackOnScreen() {
        const QString file = File("places.conf");
        Program p;
        QWidget* stats = p.w.StatsForm.get();
        const QPoint before = stats->pos();
        QSettings store(file, QSettings::IniFormat);
        store.setValue(QStringLiteral("windows/statistics/position"), QStringLiteral("left"));
        QVERIFY(!ReadWindowPlace(store, stats));
        QCOMPARE(stats->pos(), before);
        store.setValue(QStringLiteral("windows/statistics/position"), QPoint(-5000, 9000));
        store.setValue(QStringLiteral("windows/statistics/size"), QSize(100000, 50));
        QVERIFY(ReadWindowPlace(store, stats));
        const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(room.contains(QRect(stats->pos(), stats->size())));
    }

    // The first start: the statistics window opens beside the main window
    // where the screen has room, no longer half under it.
    void firstStartStatisticsBeside() {
        Program p;
        QSettings store(File("empty.conf"), QSettings::IniFormat);
        store.clear();
        RestoreStored(p.w, store);
        const QRect main(p.main.pos(), p.main.size() + QSize(kFrameWidth, kFrameHeight));
        const QRect stats(p.w.StatsForm->pos(),
                          p.w.StatsForm->size() + QSize(kFrameWidth, kFrameHeight));
        QVERIFY(!stats.intersects(main));
        QCOMPARE(p.main.pos(), QPoint(436, 126));
        QCOMPARE(Fields(*p.w.Form2->CurrentSettings, File("e.conf")),
                 Fields(TSettings{}, File("f.conf")));
    }

    // "Restore Defaults" puts the classic values in the controls; the record
    // follows only with Apply (or OK).
    void restoreDefaults() {
        Program p;
        TForm2& d = *p.w.Form2;
        TSettings& rec = *d.CurrentSettings;
        rec.SearchDepth = 3;
        rec.ShowSquares = true;
        rec.SeparateAISettings = true;
        rec.RedStrongSearch = true;
        p.main.Settings1->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(d.bDefaults->geometry(), QRect(2, 241, 50, 25));
        QCOMPARE(d.size(), QSize(294, 266));
        QTest::mouseClick(d.bDefaults, Qt::LeftButton);
        QVERIFY(!d.cbRBAISettings->isChecked());
        QCOMPARE(d.tbYourAI->value(), 11);
        QVERIFY(d.rbSearchWidth->isChecked());
        QVERIFY(!d.rbRedStrong->isChecked());
        QVERIFY(!d.cbShowSquares->isChecked());
        QCOMPARE(d.seSearchThreads->value(), TSettings{}.SearchThreads);
        QCOMPARE(rec.SearchDepth, 3);
        QTest::mouseClick(d.bApply, Qt::LeftButton);
        QCOMPARE(Fields(rec, File("g.conf")), Fields(TSettings{}, File("h.conf")));
    }
};

QTEST_MAIN(StoredSettingsTest)
#include "stored_settings_test.moc"
