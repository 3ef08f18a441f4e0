// The input page on screen (offscreen platform): edits typed into the table views
// reach the record, a shape change rebuilds the pile table, the water switch
// changes the states of the soil tables, and the dialog program draws itself.
#include "DlgKangLi.h"
#include "DlgKangLi_Slp.h"
#include "EasyTableView.h"
#include "KangLiJiSuan.h"
#include "KangLiResult.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "RecordJson.h"
#include "SketchView.h"
#include "TestFiles.h"
#include "WorkPaths.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>

#include <clocale>
#include <filesystem>
#include <sys/wait.h>

#include <gtest/gtest.h>

namespace {

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

} // namespace

TEST(InputPage, TypedValuesReachTheRecord)
{
    CPelvorinData r;
    r.TuCeng.resize(2);
    CKangLiJiSuan calc;
    CKangLiResult result;
    CDlgKangLi page(&r, &calc, &result);
    page.show();
    Settle();
    EasyTableView* view = page.jbxx->view;
    ASSERT_EQ(view->rowCount(), 9);
    EXPECT_EQ(view->item(1, 1)->text(), "10.000");
    view->item(1, 1)->setText("12.5"); // pile length
    Settle();
    EXPECT_FLOAT_EQ(r.fZhuangChang, 12.5f);
    EXPECT_EQ(view->item(1, 1)->text(), "12.500");
    {
        ScopedMessageRecorder boxes;
        view->item(0, 1)->setText("0"); // spacing below its limit: refused, and told
        Settle();
        EXPECT_FLOAT_EQ(r.fZhuangJianJu, 5.0f);
        ASSERT_EQ(boxes.messages.size(), 1u);
        EXPECT_EQ(boxes.messages[0].text, "“桩中心距（m）”应在 0.01 到 10000000 之间，输入值为 0");
        EXPECT_EQ(view->item(0, 1)->text(), "5.000");
    }

    // The section shape through its drop-down list: the pile table is rebuilt.
    auto* shape = qobject_cast<QComboBox*>(view->cellWidget(4, 1));
    ASSERT_NE(shape, nullptr);
    shape->textActivated("圆形");
    Settle();
    EXPECT_EQ(r.nJieMianXingZhuang, 0);
    EXPECT_EQ(view->rowCount(), 8);
    EXPECT_EQ(view->item(5, 0)->text(), "桩径（m）");
}

TEST(InputPage, WaterSwitchRefreshesTheSoilTables)
{
    CPelvorinData r;
    r.TuCeng.resize(2);
    CKangLiJiSuan calc;
    CKangLiResult result;
    CDlgKangLi page(&r, &calc, &result);
    page.show();
    Settle();
    EasyTableView* layers = page.tuceng->layersView;
    ASSERT_EQ(layers->rowCount(), 2);
    EXPECT_TRUE(layers->item(0, 7)->flags() & Qt::ItemIsEnabled);
    auto* water = qobject_cast<QComboBox*>(page.tuceng->waterView->cellWidget(0, 1));
    ASSERT_NE(water, nullptr);
    water->textActivated("否");
    Settle();
    EXPECT_EQ(r.bKaoLvShui, 0);
    EXPECT_FALSE(layers->item(0, 7)->flags() & Qt::ItemIsEnabled); // under-water cohesion
    EXPECT_FALSE(page.tuceng->waterView->item(1, 1)->flags() & Qt::ItemIsEnabled);
    // More layers: the layer table grows with default layers.
    page.tuceng->countView->item(0, 1)->setText("4");
    Settle();
    EXPECT_EQ(r.TuCeng.size(), 4u);
    EXPECT_EQ(layers->rowCount(), 4);
}

TEST(DialogProgram, DrawsItselfWithTheRecord)
{
    TempDir dir;
    const std::string png = dir.path + "/page.png";
    const std::string cmd = "QT_QPA_PLATFORM=offscreen '" KANGLI_GUI_EXE "' '" KANGLI_EXAMPLES_DIR
                            "/circular-pile-into-rock.json' --tab 1 --calculate --screenshot '" +
                            png + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 800);
    EXPECT_GE(image.height(), 500);
}

namespace {

QAction* Command(QWidget& frame, const QString& text)
{
    // A command as the toolbar offers it (not the toolbar's own show/hide entry).
    for (QToolBar* bar : frame.findChildren<QToolBar*>())
        for (QAction* a : bar->actions())
            if (a->text() == text)
                return a;
    ADD_FAILURE() << "no command " << text.toStdString();
    static QAction none;
    return &none;
}

// Opens the editor of a cell as a double click does and types into it, without
// Enter. Returns the editor.
QLineEdit* TypeInto(EasyTableView* view, int row, int col, const QString& text)
{
    view->setCurrentCell(row, col);
    view->editItem(view->item(row, col));
    auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(view->model()->index(row, col)));
    if (editor) {
        editor->clear();
        QTest::keyClicks(editor, text);
    }
    return editor;
}

// A new record with two layers, and the frame open on it, shown.
CPelvorinData NewRecord(bool slipEditable)
{
    CPelvorinData r;
    InitKangLiData(&r);
    r.TuCeng.resize(2);
    r.bHuaMianKeBian = slipEditable ? 1 : 0;
    return r;
}

struct OpenFrame {
    CPelvorinData r;
    CKangLiJiSuan calc;
    CKangLiResult result;
    CDlgKangLi_Slp frame;
    explicit OpenFrame(const QString& path = QString(), bool slipEditable = true)
        : r(NewRecord(slipEditable)), frame(&r, &calc, &result, path)
    {
        frame.show();
        Settle();
    }
};

} // namespace

// A person enters a sand layer and a slope surface level with the pile top, as
// the calculation takes them, and is stopped at once by a friction angle it
// would refuse.
TEST(Frame, SandAndASurfaceAtThePileTopAreTakenAndCalculated)
{
    TempDir dir;
    const std::string saved = G_strWorkPath;
    G_strWorkPath = dir.path + "/";
    OpenFrame open;
    CPelvorinData& r = open.r;
    CDlgKangLi_Slp& frame = open.frame;
    ASSERT_NE(TypeInto(frame.pPage->jbxx->view, 2, 1, "0"), nullptr); // slope surface below the top
    QTest::keyClick(frame.pPage->jbxx->view->focusWidget(), Qt::Key_Return);
    Settle();
    EXPECT_EQ(r.fPoMianDaoZhuangDing, 0.0f);
    frame.pPage->tabs->setCurrentIndex(1);
    Settle();
    EasyTableView* layers = frame.pPage->tuceng->layersView;
    ASSERT_NE(TypeInto(layers, 0, 5, "0"), nullptr); // cohesion of the first layer
    QTest::keyClick(layers->focusWidget(), Qt::Key_Return);
    Settle();
    EXPECT_EQ(r.TuCeng[0].fNianJuLi, 0.0f);
    EXPECT_EQ(layers->item(0, 5)->text(), "0.00");
    {
        ScopedMessageRecorder boxes;
        ASSERT_NE(TypeInto(layers, 0, 6, "95"), nullptr); // friction angle
        QTest::keyClick(layers->focusWidget(), Qt::Key_Return);
        Settle();
        ASSERT_EQ(boxes.messages.size(), 1u);
        EXPECT_EQ(boxes.messages[0].text, "“第1层 内摩擦角(°)”应在 0 到 90（不含） 之间，输入值为 95");
        EXPECT_FLOAT_EQ(r.TuCeng[0].fMoCaJiao, 15.0f);
    }
    ScopedMessageRecorder answers;
    EXPECT_TRUE(frame.Calculate());
    EXPECT_FALSE(r.ZuiZhongKangLi.empty());
    G_strWorkPath = saved;
}

TEST(Frame, WhatIsTypedWithoutEnterIsCalculatedAndSaved)
{
    TempDir dir;
    const std::string saved = G_strWorkPath;
    G_strWorkPath = dir.path + "/";
    const QString file = QString::fromStdString(dir.path + "/rec.dat");
    OpenFrame open(file);
    CPelvorinData& r = open.r;
    CDlgKangLi_Slp& frame = open.frame;
    EasyTableView* view = frame.pPage->jbxx->view;
    ASSERT_NE(TypeInto(view, 1, 1, "12.5"), nullptr); // pile length, no Enter
    Command(frame, "构件计算")->trigger();
    EXPECT_FLOAT_EQ(r.fZhuangChang, 12.5f);
    ASSERT_FALSE(r.pDianZuoBiao->empty());
    EXPECT_FLOAT_EQ(r.pDianZuoBiao->front(), 12.5f); // the points run to the new foot
    EXPECT_EQ(view->item(1, 1)->text(), "12.500");

    // Typed, then saved without Enter: the file holds what the screen shows.
    ASSERT_NE(TypeInto(view, 2, 1, "2.5"), nullptr); // slope surface below the top
    WriteText(file.toStdString(), "the user's old file");
    {
        ScopedMessageRecorder no(IDNO); // replace it? no
        Command(frame, "保存数据")->trigger();
        ASSERT_EQ(no.messages.size(), 1u);
        EXPECT_NE(no.messages[0].text.find("已存在，是否覆盖？"), std::string::npos);
        EXPECT_EQ(ReadText(file.toStdString()), "the user's old file");
    }
    {
        ScopedMessageRecorder yes(IDYES);
        Command(frame, "保存数据")->trigger();
        Command(frame, "保存数据")->trigger(); // asked once only
        EXPECT_EQ(yes.messages.size(), 1u);
    }
    EXPECT_NE(ReadText(file.toStdString()).find(",2.500000,"), std::string::npos);
    G_strWorkPath = saved;
}

// 导入 reads a file as the command line and Python read it: the file alone
// decides the record, not what the window held before.
TEST(Frame, ImportReadsAFileAsEveryOtherSurfaceDoes)
{
    TempDir dir;
    const std::string json = dir.path + "/r.json";
    WriteText(json, R"({"fZhuangJianJu": 3})");
    OpenFrame open(QString(), false); // the slip distance fixed by a slope model
    open.r.fZheJianXiShu = 0.9f;      // edited before the import
    CPelvorinData expected;
    std::string error;
    ASSERT_TRUE(LoadRecordFile(json, expected, &error)) << error;
    ASSERT_TRUE(open.frame.ImportFile(QString::fromStdString(json)));
    EXPECT_EQ(RecordToJson(open.r), RecordToJson(expected));
    EXPECT_TRUE(open.r.TuCeng.empty());
    EXPECT_EQ(open.r.nTuCengShu, 0);
    EXPECT_EQ(open.r.bHuaMianKeBian, 0); // the window's own state stays

    // A refused file: the reader's message in a box, the record as it was.
    WriteText(json, R"({"fZhuangJianJu": 4, "TuCeng": {}})");
    ScopedMessageRecorder box(IDOK);
    EXPECT_FALSE(open.frame.ImportFile(QString::fromStdString(json)));
    ASSERT_EQ(box.messages.size(), 1u);
    EXPECT_EQ(box.messages[0].text,
              "数据未能读入：" + json + "：key \"TuCeng\": expected an array of layers, found object");
    EXPECT_EQ(open.r.fZhuangJianJu, 3.0f);
}

TEST(Frame, ResultsBelongToTheRecordOnScreen)
{
    TempDir dir;
    const std::string saved = G_strWorkPath;
    G_strWorkPath = dir.path + "/";
    OpenFrame open;
    CPelvorinData& r = open.r;
    CDlgKangLi_Slp& frame = open.frame;
    ScopedMessageRecorder answers(IDYES); // "数据已发生改变，是否继续计算！": yes
    EXPECT_EQ(frame.status->text(), "尚未计算");

    // Calculating writes what slope mode writes under the work path.
    ASSERT_TRUE(frame.Calculate());
    for (const char* name : {"kl.dat", "kl-jt0.dxf", "kl-jt1.dxf", "kl-jt2.dxf",
                             "kl-jss0.rtf", "kl-jss1.rtf"})
        EXPECT_TRUE(std::filesystem::exists(dir.path + "/" + name)) << name;
    EXPECT_TRUE(frame.ResultsCurrent());
    EXPECT_TRUE(frame.status->text().startsWith("已计算"));

    // An edit makes them stale, and says so.
    ASSERT_NE(TypeInto(frame.pPage->jbxx->view, 1, 1, "12"), nullptr);
    frame.pPage->CommitEdits();
    Settle();
    EXPECT_FALSE(frame.ResultsCurrent());
    EXPECT_EQ(frame.status->text(), "数据已修改，计算结果已过时：请重新计算");

    // The result view never shows them: it calculates the record on screen first.
    int rows = -1, tabs = -1;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || w->windowTitle() != "结果查询")
                continue;
            if (auto* table = w->findChild<QTableWidget*>())
                rows = table->rowCount();
            if (auto* t = w->findChild<QTabWidget*>())
                tabs = t->count();
            w->close();
        }
    });
    closer.start(20);
    frame.ShowResults();
    EXPECT_EQ(rows, 21); // a 12 m pile: 20 steps of 0.6 m and the foot
    EXPECT_EQ(tabs, 3);  // the table, the result diagram, the earth-pressure diagram
    EXPECT_FLOAT_EQ(r.pDianZuoBiao->front(), 12.0f);
    EXPECT_TRUE(frame.ResultsCurrent());

    // A refused calculation leaves no results behind.
    r.fZhuangJianJu = 0;
    EXPECT_FALSE(frame.Calculate());
    EXPECT_TRUE(r.ZuiZhongKangLi.empty());
    EXPECT_EQ(frame.status->text(), "尚未计算");
    ASSERT_FALSE(answers.messages.empty());
    EXPECT_EQ(answers.messages.back().text, "“桩中心距（m）”应在 0.01 到 10000000 之间，输入值为 0");
    G_strWorkPath = saved;
}

TEST(Frame, TabMovesBetweenValuesAndKeepsEachOne)
{
    OpenFrame open;
    CPelvorinData& r = open.r;
    CDlgKangLi_Slp& frame = open.frame;
    EasyTableView* view = frame.pPage->jbxx->view;
    QLineEdit* editor = TypeInto(view, 0, 1, "4"); // spacing
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Tab);
    Settle(); // the refresh after the edit runs here, as it does for a person
    EXPECT_EQ(view->currentRow(), 1); // past the label, onto the pile length
    EXPECT_EQ(view->currentColumn(), 1);
    view->edit(view->currentIndex());
    auto* next = qobject_cast<QLineEdit*>(view->indexWidget(view->currentIndex()));
    ASSERT_NE(next, nullptr);
    next->clear();
    QTest::keyClicks(next, "14");
    Settle();
    // Still open with what was typed, after every refresh the first edit caused.
    EXPECT_EQ(view->indexWidget(view->currentIndex()), next);
    EXPECT_EQ(next->text(), "14");
    QTest::keyClick(next, Qt::Key_Backtab);
    Settle();
    EXPECT_EQ(view->currentRow(), 0);
    EXPECT_FLOAT_EQ(r.fZhuangJianJu, 4.0f);
    EXPECT_FLOAT_EQ(r.fZhuangChang, 14.0f);
}

TEST(Frame, SwitchingPagesKeepsWhatIsTyped)
{
    OpenFrame open;
    CPelvorinData& r = open.r;
    CDlgKangLi_Slp& frame = open.frame;
    ASSERT_NE(TypeInto(frame.pPage->jbxx->view, 1, 1, "9"), nullptr);
    frame.pPage->tabs->setCurrentIndex(1);
    Settle();
    EXPECT_FLOAT_EQ(r.fZhuangChang, 9.0f);
}

TEST(Frame, TheWheelOverAChoiceDoesNotChangeIt)
{
    OpenFrame open;
    CPelvorinData& r = open.r;
    CDlgKangLi_Slp& frame = open.frame;
    EasyTableView* view = frame.pPage->jbxx->view;
    auto* shape = qobject_cast<QComboBox*>(view->cellWidget(4, 1));
    ASSERT_NE(shape, nullptr);
    ASSERT_FALSE(shape->hasFocus());
    QWheelEvent wheel(QPointF(5, 5), shape->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(shape, &wheel);
    Settle();
    EXPECT_EQ(r.nJieMianXingZhuang, 1);
    EXPECT_EQ(shape->currentText(), "矩形");
}

TEST(Frame, SmallThingsAPersonNotices)
{
    OpenFrame open(QString(), false); // the slip distance fixed by a slope model
    CDlgKangLi_Slp& frame = open.frame;
    // Esc (and Enter) on the page leave the frame open.
    QTest::keyClick(&frame, Qt::Key_Escape);
    QTest::keyClick(frame.pPage->jbxx->view, Qt::Key_Escape);
    QTest::keyClick(&frame, Qt::Key_Return);
    Settle();
    EXPECT_TRUE(frame.isVisible());
    // Neither pane of the page can be dragged away to nothing.
    auto* splitter = frame.pPage->findChild<QSplitter*>();
    ASSERT_NE(splitter, nullptr);
    EXPECT_FALSE(splitter->childrenCollapsible());
    splitter->setSizes({0, 2000});
    Settle();
    EXPECT_GE(splitter->sizes()[0], 160);
    // The read-only slip distance looks read-only.
    QTableWidgetItem* slip = frame.pPage->jbxx->view->item(3, 1);
    EXPECT_FALSE(slip->flags() & Qt::ItemIsEditable);
    EXPECT_NE(slip->background(), QBrush());
    EXPECT_EQ(frame.pPage->jbxx->view->item(1, 1)->background(), QBrush());
    // The wheel zooms the sketch, a double click fits it again.
    auto* sketch = frame.pPage->findChild<SketchView*>();
    ASSERT_NE(sketch, nullptr);
    QWheelEvent wheel(QPointF(50, 50), sketch->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(sketch, &wheel);
    EXPECT_NEAR(sketch->Zoom(), 1.5625, 1e-9);
    QTest::mouseDClick(sketch, Qt::LeftButton);
    EXPECT_EQ(sketch->Zoom(), 1.0);
}

TEST(InputPage, ACommaLocaleChangesNoNumberReadTypedOrSaved)
{
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    TempDir dir;
    const std::string path = dir.path + "/pile.dat";
    std::string text = ReadText(KANGLI_EXAMPLES_DIR "/defaults.dat");
    text.replace(text.find("10.000000"), 9, "30.000000");
    WriteText(path, text);
    CPelvorinData r;
    InitKangLiData(&r);
    std::string error;
    ASSERT_TRUE(LoadRecordFile(path, r, &error)) << error;
    EXPECT_FLOAT_EQ(r.fZhuangChang, 30.0f); // not 30 read as "30" then stopped at ","
    EXPECT_FLOAT_EQ(r.fZhuangKuan, 1.0f);
    CKangLiJiSuan calc;
    CKangLiResult result;
    CDlgKangLi page(&r, &calc, &result);
    page.show();
    Settle();
    EasyTableView* view = page.jbxx->view;
    EXPECT_EQ(view->item(1, 1)->text(), "30.000");
    view->item(1, 1)->setText("12.5");
    Settle();
    EXPECT_FLOAT_EQ(r.fZhuangChang, 12.5f);
    ASSERT_TRUE(SaveRecordFile(path, r, &error)) << error;
    std::setlocale(LC_ALL, "C");
    text.replace(text.find("30.000000"), 9, "12.500000");
    EXPECT_EQ(ReadText(path), text);
}

TEST(DialogProgram, AnUnattendedRunNeverWaitsForAnAnswer)
{
    TempDir dir;
    const std::string rec = dir.path + "/zero-spacing.json", png = dir.path + "/page.png";
    WriteText(rec, "{\"fZhuangJianJu\": 0, \"TuCeng\": [{}, {}]}");
    // Refused by the check before calculating: the message must not open a box.
    const std::string cmd = "QT_QPA_PLATFORM=offscreen timeout 20 '" KANGLI_GUI_EXE "' '" + rec +
                            "' --calculate --screenshot '" + png + "' >/dev/null 2>" + dir.path + "/err";
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 0); // 124 when timeout had to end it
    EXPECT_NE(ReadText(dir.path + "/err").find("“桩中心距（m）”应在 0.01 到 10000000 之间，输入值为 0"),
              std::string::npos)
        << ReadText(dir.path + "/err");
    EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());
}

namespace {

// Keys as a person types them: to whatever has the focus now.
void Keys(const QString& text)
{
    for (const QChar ch : text) {
        QWidget* to = QApplication::focusWidget();
        ASSERT_NE(to, nullptr) << "nothing has the focus";
        QTest::keyClicks(to, QString(ch));
        Settle();
    }
}

void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* to = QApplication::focusWidget();
    ASSERT_NE(to, nullptr) << "nothing has the focus";
    QTest::keyClick(to, key, modifiers);
    Settle();
}

} // namespace

// A layer typed row by row, value, Tab, value, Tab, the layer type's
// drop-down included: every value lands in the column it was typed for.
TEST(Keyboard, ALayerTypedWithTabLandsWhereItWasTyped)
{
    ScopedMessageRecorder boxes;
    OpenFrame open;
    CPelvorinData& r = open.r;
    open.frame.pPage->tabs->setCurrentIndex(1);
    Settle();
    EasyTableView* layers = open.frame.pPage->tuceng->layersView;
    layers->setCurrentCell(1, 1); // the second layer's type
    QWidget* type = layers->cellWidget(1, 1);
    ASSERT_NE(type, nullptr);
    type->setFocus();
    Settle();
    Keys("0");
    Key(Qt::Key_Tab);
    for (const char* value : {"3.5", "19.5", "9.5", "12", "25"}) {
        Keys(value);
        Key(Qt::Key_Tab);
    }
    EXPECT_TRUE(boxes.messages.empty()) << boxes.messages[0].text;
    const CTuCeng& l = r.TuCeng[1];
    EXPECT_EQ(l.nLeiXing, 0);
    EXPECT_FLOAT_EQ(l.fHouDu, 3.5f);
    EXPECT_FLOAT_EQ(l.fZhongDu, 19.5f);
    EXPECT_FLOAT_EQ(l.fFuZhongDu, 9.5f);
    EXPECT_FLOAT_EQ(l.fNianJuLi, 12.0f);
    EXPECT_FLOAT_EQ(l.fMoCaJiao, 25.0f);

    // "1" at the type is rock, by the value a data file stores for it.
    layers->setCurrentCell(1, 1);
    layers->cellWidget(1, 1)->setFocus();
    Settle();
    Keys("1");
    Key(Qt::Key_Tab);
    EXPECT_EQ(r.TuCeng[1].nLeiXing, 1);
}

// What matches no choice, or no value a cell takes, is refused where it was
// typed, and the focus stays there for the correction.
TEST(Keyboard, ARefusalKeepsTheFocusInItsCell)
{
    OpenFrame open;
    CPelvorinData& r = open.r;
    EasyTableView* pile = open.frame.pPage->jbxx->view;
    {
        ScopedMessageRecorder boxes;
        pile->setCurrentCell(0, 1); // spacing
        pile->setFocus();
        Settle();
        Keys("abc");
        Key(Qt::Key_Tab);
        ASSERT_EQ(boxes.messages.size(), 1u);
        EXPECT_NE(boxes.messages[0].text.find("桩中心距"), std::string::npos) << boxes.messages[0].text;
        EXPECT_EQ(pile->currentRow(), 0);
        // The correction replaces what was refused, in the same cell.
        Keys("4");
        Key(Qt::Key_Tab);
        EXPECT_FLOAT_EQ(r.fZhuangJianJu, 4.0f);
        EXPECT_FLOAT_EQ(r.fZhuangChang, 10.0f); // the next cell untouched
        EXPECT_EQ(pile->currentRow(), 1);
    }
    // The section shape's drop-down: "1.3" is no shape.
    int shapeRow = -1;
    for (int row = 0; row < pile->rowCount(); ++row)
        if (pile->item(row, 0) && pile->item(row, 0)->text() == "截面形状")
            shapeRow = row;
    ASSERT_GE(shapeRow, 0);
    QWidget* shape = pile->cellWidget(shapeRow, 1);
    ASSERT_NE(shape, nullptr);
    pile->setCurrentCell(shapeRow, 1);
    shape->setFocus();
    Settle();
    ScopedMessageRecorder boxes;
    Keys("1.3");
    Key(Qt::Key_Tab);
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_NE(boxes.messages[0].text.find("输入值为 1.3"), std::string::npos) << boxes.messages[0].text;
    EXPECT_EQ(QApplication::focusWidget(), shape);
    EXPECT_EQ(r.nJieMianXingZhuang, 1);
    Keys("0"); // the circle
    Key(Qt::Key_Tab);
    EXPECT_EQ(r.nJieMianXingZhuang, 0);
}

// Edits are never thrown away without a word: 取消 and the close button ask,
// 导入 asks, fewer layers ask before the ones below are deleted.
TEST(Frame, UnsavedEditsAreNotLostSilently)
{
    OpenFrame open;
    CPelvorinData& r = open.r;
    CDlgKangLi_Slp& frame = open.frame;
    ASSERT_NE(TypeInto(frame.pPage->jbxx->view, 0, 1, "4"), nullptr);
    {
        ScopedMessageRecorder no(IDNO);
        frame.reject();
        Settle();
        ASSERT_EQ(no.messages.size(), 1u);
        EXPECT_NE(no.messages[0].text.find("尚未保存"), std::string::npos) << no.messages[0].text;
        EXPECT_TRUE(frame.isVisible()); // kept open
        EXPECT_FLOAT_EQ(r.fZhuangJianJu, 4.0f);
        frame.close();
        Settle();
        EXPECT_TRUE(frame.isVisible());
    }
    {
        // 导入 over unsaved edits: not without the user's word.
        TempDir dir;
        const std::string other = dir.path + "/other.json";
        CPelvorinData o;
        InitKangLiData(&o);
        o.TuCeng.resize(3);
        o.nTuCengShu = 3;
        std::string error;
        ASSERT_TRUE(SaveRecordFile(other, o, &error)) << error;
        ScopedMessageRecorder no(IDNO);
        EXPECT_FALSE(frame.Import());
        EXPECT_EQ(no.messages.size(), 1u);
        EXPECT_EQ(r.TuCeng.size(), 2u);
    }
    // Fewer layers: asked, and No keeps both.
    frame.pPage->tabs->setCurrentIndex(1);
    Settle();
    {
        ScopedMessageRecorder no(IDNO);
        ASSERT_NE(TypeInto(frame.pPage->tuceng->countView, 0, 1, "1"), nullptr);
        frame.pPage->CommitEdits();
        Settle();
        ASSERT_EQ(no.messages.size(), 1u);
        EXPECT_EQ(no.messages[0].text, "土层数由 2 改为 1，将删除第 2 层的数据，是否继续？");
        EXPECT_EQ(r.TuCeng.size(), 2u);
        EXPECT_EQ(r.nTuCengShu, 2);
    }
    {
        ScopedMessageRecorder yes(IDYES);
        ASSERT_NE(TypeInto(frame.pPage->tuceng->countView, 0, 1, "1"), nullptr);
        frame.pPage->CommitEdits();
        Settle();
        EXPECT_EQ(r.TuCeng.size(), 1u);
    }
    ScopedMessageRecorder yes(IDYES);
    frame.reject();
    Settle();
    EXPECT_FALSE(frame.isVisible());
}

// Saving back to the file the frame was opened on asks nothing; results stay
// marked out of date after a save.
TEST(Frame, SavingTheOpenedFileAsksNothingAndKeepsTheStaleNotice)
{
    TempDir dir;
    const std::string saved = G_strWorkPath;
    G_strWorkPath = dir.path + "/";
    const std::string file = dir.path + "/rec.json";
    {
        CPelvorinData r = NewRecord(true);
        std::string error;
        ASSERT_TRUE(SaveRecordFile(file, r, &error)) << error;
    }
    OpenFrame open(QString::fromStdString(file));
    CDlgKangLi_Slp& frame = open.frame;
    ScopedMessageRecorder answers(IDYES);
    ASSERT_TRUE(frame.Calculate());
    ASSERT_NE(TypeInto(frame.pPage->jbxx->view, 0, 1, "4"), nullptr);
    const size_t asked = answers.messages.size();
    EXPECT_TRUE(frame.Save());
    EXPECT_EQ(answers.messages.size(), asked); // no question for the user's own file
    EXPECT_NE(ReadText(file).find("\"fZhuangJianJu\": 4"), std::string::npos);
    EXPECT_TRUE(frame.status->text().contains("过时")) << frame.status->text().toStdString();
    EXPECT_FALSE(frame.Unsaved());
    G_strWorkPath = saved;
}

// 导入 of a data file says which inputs it did not hold and what they are now.
TEST(Frame, ImportOfADataFileSaysWhatItDidNotHold)
{
    TempDir dir;
    const std::string dat = dir.path + "/soil.dat";
    {
        CPelvorinData d = NewRecord(true);
        d.bKaoLvShui = 1;
        std::string error;
        ASSERT_TRUE(SaveRecordFile(dat, d, &error)) << error;
    }
    OpenFrame open;
    open.r.fZheJianXiShu = 0.25f;
    open.frame.MarkSaved();
    ScopedMessageRecorder told(IDYES);
    ASSERT_TRUE(open.frame.ImportFile(QString::fromStdString(dat)));
    ASSERT_EQ(told.messages.size(), 1u);
    const std::string& text = told.messages[0].text;
    EXPECT_NE(text.find("数据文件不含以下数值"), std::string::npos) << text;
    EXPECT_NE(text.find("被动土压力折减系数 0.3"), std::string::npos) << text;
    EXPECT_NE(text.find("第1层 "), std::string::npos) << text;
    EXPECT_NE(text.find("水下粘聚力"), std::string::npos) << text;
    EXPECT_FLOAT_EQ(open.r.fZheJianXiShu, 0.3f);
}

// The program of its own calculates into a folder of the record's own: a
// user's kl.dat beside the record stays as it was.
TEST(DialogProgram, CalculatesIntoAFolderOfItsOwn)
{
    TempDir dir;
    const std::string rec = dir.path + "/pile.json";
    {
        CPelvorinData r = NewRecord(true);
        std::string error;
        ASSERT_TRUE(SaveRecordFile(rec, r, &error)) << error;
    }
    WriteText(dir.path + "/kl.dat", "a record of the user's\n");
    const std::string cmd = "QT_QPA_PLATFORM=offscreen timeout 30 '" KANGLI_GUI_EXE "' '" + rec +
                            "' --calculate --screenshot '" + dir.path + "/shot.png' >/dev/null 2>&1";
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 0);
    EXPECT_EQ(ReadText(dir.path + "/kl.dat"), "a record of the user's\n");
    EXPECT_TRUE(std::filesystem::exists(dir.path + "/pile-计算结果/kl.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir.path + "/pile-计算结果/kl-jss0.rtf"));
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // No dialog may wait for an answer here: messages go to standard error.
    SetMessageSink(StderrMessageSink);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
