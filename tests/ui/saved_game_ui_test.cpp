#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "ui_test_support.h"

using namespace qv;
using namespace qv::ui;
using namespace qv::ui::testing;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

const QByteArray kThreeMoves("A,1\r\nB,2\r\nH,8\r\n");

}  // namespace

class SavedGameUiTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    QString Path(const QString& name) const { return dir_.filePath(name); }

    void Save(Program& p, const QString& path) {
        p.dialogs.nextFile = path;
        p.main.SaveGame1->trigger();
    }
    void Load(Program& p, const QString& path) {
        p.dialogs.nextFile = path;
        p.main.LoadGame1->trigger();
    }

  private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void roundTripByteForByte() {
        Program p;
        TForm1& f = p.main;
        Click(f, 1, 8);
        Click(f, 2, 7);
        Click(f, 8, 1);
        const QString path = Path("three.qdv");
        Save(p, path);
        QCOMPARE(p.dialogs.dialogTitle, QStringLiteral("Save Quadrivane Game As"));
        QCOMPARE(p.dialogs.acceptMode, QFileDialog::AcceptSave);
        QCOMPARE(p.dialogs.nameFilters, (QStringList{"Quadrivnae Game (*.qdv)", "All (*)"}));
        QCOMPARE(p.dialogs.selectedFilter, QStringLiteral("Quadrivnae Game (*.qdv)"));
        QCOMPARE(p.dialogs.defaultSuffix, QStringLiteral("qdv"));
        QCOMPARE(ReadAll(path), kThreeMoves);
        QCOMPARE(f.CurrentFileName, path);
        QVERIFY(p.dialogs.boxes.empty());

        f.ClearBoard1->trigger();
        QCOMPARE(f.Game.MoveCount, 0);
        Load(p, path);
        QCOMPARE(p.dialogs.dialogTitle, QStringLiteral("Open Quadrivane Game"));
        QCOMPARE(p.dialogs.acceptMode, QFileDialog::AcceptOpen);
        QVERIFY(p.dialogs.defaultSuffix.isEmpty());
        QCOMPARE(f.Game.board(1, 8), Blue);
        QCOMPARE(f.Game.board(2, 7), Red);
        QCOMPARE(f.Game.board(8, 1), Blue);
        QCOMPARE(f.Game.MoveCount, 3);
        QCOMPARE(f.StatusText(1), QStringLiteral("3"));
        QCOMPARE(f.focusWidget(), f.bbRed);  // Red to move
        f.sbForward->click();                // nothing beyond the last move
        QCOMPARE(f.Game.MoveCount, 3);

        const QString again = Path("again.qdv");
        Save(p, again);
        QCOMPARE(ReadAll(again), kThreeMoves);
    }

    void saveWritesTheRedoTailButNoSetupPieces() {
        Program p;
        TForm1& f = p.main;
        Click(f, 1, 8);
        Click(f, 2, 7);
        Click(f, 8, 1);
        f.sbBack->click();
        f.sbBack->click();
        Save(p, Path("tail.qdv"));
        QCOMPARE(ReadAll(Path("tail.qdv")), kThreeMoves);

        f.ClearBoard1->trigger();
        f.SetupMode1->trigger();
        Click(f, 4, 4);
        f.SetupMode1->trigger();
        Click(f, 5, 5);  // goes into slot 2: slot 1 stays empty
        Save(p, Path("setup.qdv"));
        QCOMPARE(ReadAll(Path("setup.qdv")), QByteArray());
    }

    void cancelledDialogsChangeNothing() {
        Program p;
        TForm1& f = p.main;
        Click(f, 3, 3);
        p.dialogs.nextFile.reset();
        f.SaveGame1->trigger();
        f.LoadGame1->trigger();
        QVERIFY(f.CurrentFileName.isEmpty());
        QCOMPARE(f.Game.MoveCount, 1);
    }

    void loadsWhatEditorsWrite_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("moves");
        QTest::newRow("CR LF") << kThreeMoves << 3;
        QTest::newRow("LF only") << QByteArray("A,1\nB,2\nH,8\n") << 3;
        QTest::newRow("CR only") << QByteArray("A,1\rB,2\rH,8") << 3;
        QTest::newRow("blank lines and blanks")
            << QByteArray("\r\n  A,1\r\n\r\n\tB,2\r\n   \r\nH,8\r\n\r\n") << 3;
        QTest::newRow("text after the third character")
            << QByteArray("A,1 first\r\nB,2;x\r\nH,8 last") << 3;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("end-of-file mark") << QByteArray(
                                                 "A,1\r\nB,2\r\nH,8\r\n\x1a"
                                                 "C,5\r\n")
                                          << 3;
    }
    void loadsWhatEditorsWrite() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, moves);
        Program p;
        TForm1& f = p.main;
        Click(f, 5, 5);  // replaced by the load
        const QString path = Path("editor.qdv");
        WriteAll(path, bytes);
        Load(p, path);
        QVERIFY(p.dialogs.boxes.empty());
        QCOMPARE(f.Game.MoveCount, moves);
        QCOMPARE(f.Game.board(5, 5), Empty);
        if (moves == 3) {
            QCOMPARE(f.Game.board(1, 8), Blue);
            QCOMPARE(f.Game.board(2, 7), Red);
            QCOMPARE(f.Game.board(8, 1), Blue);
        }
    }

    void badFileKeepsTheGame_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a digit")
            << QByteArray("A,1\r\nB,x\r\n") << "'x' is not a valid integer value.";
        QTest::newRow("lower-case column") << QByteArray("A,1\r\nb,2\r\n") << "Line 2";
        QTest::newRow("row 9") << QByteArray("A,9\r\n") << "Line 1";
        QTest::newRow("row 0") << QByteArray("A,1\nB,2\nC,0\n") << "Line 3";
        QTest::newRow("short line") << QByteArray("A,1\r\nB,\r\n") << "Line 2";
        QByteArray tooMany;
        for (int i = 0; i < 65; ++i) tooMany += "A,1\r\n";
        QTest::newRow("65 moves") << tooMany << "Line 65";
    }
    void badFileKeepsTheGame() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        Program p;
        TForm1& f = p.main;
        Click(f, 4, 4);
        Click(f, 6, 6);
        f.sbBack->click();
        const Board board = f.Game.board;
        const auto history = f.Game.MoveHistory;
        const QString path = Path("bad.qdv");
        WriteAll(path, bytes);
        Load(p, path);
        QCOMPARE(p.dialogs.boxes.size(), size_t{1});
        QCOMPARE(p.dialogs.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(p.dialogs.boxes[0].caption, QStringLiteral("Quadrivane"));
        QVERIFY2(p.dialogs.boxes[0].text.contains(message), qPrintable(p.dialogs.boxes[0].text));
        QVERIFY(p.dialogs.boxes[0].text.endsWith('.'));
        QCOMPARE(f.Game.board, board);
        QVERIFY(f.Game.MoveHistory == history);
        QCOMPARE(f.Game.MoveCount, 1);
        QCOMPARE(f.CurrentFileName, path);
        f.sbForward->click();  // the redo tail survived too
        QCOMPARE(f.Game.board(6, 6), Red);
    }

    void missingFileIsReported() {
        Program p;
        Click(p.main, 4, 4);
        const QString path = Path("no-such-game.qdv");
        Load(p, path);
        QCOMPARE(p.dialogs.boxes.size(), size_t{1});
        QCOMPARE(p.dialogs.boxes[0].text, QStringLiteral("File not found."));
        QCOMPARE(p.main.Game.MoveCount, 1);
        QCOMPARE(p.main.CurrentFileName, path);
    }

    void unwritableTargetIsReported_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("a folder") << "folder"
                                  << "File access denied.";
        QTest::newRow("in a missing folder") << "missing/game.qdv"
                                             << "File not found.";
        QTest::newRow("a full device") << "/dev/full"
                                       << "Disk full.";
    }
    void unwritableTargetIsReported() {
        QFETCH(QString, target);
        QFETCH(QString, message);
        QVERIFY(QDir(dir_.path()).mkpath("folder"));
        Program p;
        Click(p.main, 4, 4);
        const QString path = target.startsWith('/') ? target : Path(target);
        Save(p, path);
        QCOMPARE(p.dialogs.boxes.size(), size_t{1});
        QCOMPARE(p.dialogs.boxes[0].text, message);
        QCOMPARE(p.main.CurrentFileName, path);
        QCOMPARE(p.main.Game.MoveCount, 1);
        // Nothing half-written is left beside the target.
        const QStringList left = QDir(dir_.path()).entryList({"folder.*"}, QDir::Files);
        QVERIFY2(left.isEmpty(), qPrintable(left.join(',')));
    }
};

QTEST_MAIN(SavedGameUiTest)
#include "saved_game_ui_test.moc"
