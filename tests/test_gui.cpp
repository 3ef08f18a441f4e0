// The input page on screen (offscreen platform): edits typed into the table views
// reach the record, a shape change rebuilds the pile table, the water switch
// changes the states of the soil tables, and the dialog program draws itself.
#include "DlgKangLi.h"
#include "DlgKangLi_Slp.h"
#include "EasyTableView.h"
#include "FileDialogs.h"
#include "FieldTable.h"
#include "KangLiJiSuan.h"
#include "KangLiResult.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "RecordJson.h"
#include "SketchView.h"
#include "TestFiles.h"
#include "WorkPaths.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QRegularExpression>
#include <QStyle>
#include <QTextLayout>
#include <QTreeView>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <clocale>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <span>
#include <sys/wait.h>
#include <unistd.h>

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
    ASSERT_EQ(view->rowCount(), 10);
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
    // A copy: calculating writes its results beside the record, never into the sources.
    const std::string rec = dir.path + "/circular-pile-into-rock.json";
    WriteText(rec, ReadText(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json"));
    const std::string cmd = "QT_QPA_PLATFORM=offscreen '" KANGLI_GUI_EXE "' '" + rec +
                            "' --tab 1 --calculate --screenshot '" + png + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    // The offscreen screen is 800 x 800: the frame fits it, whole.
    EXPECT_GE(image.width(), 700);
    EXPECT_GE(image.height(), 500);
    EXPECT_LE(image.width(), 800);
    EXPECT_LE(image.height(), 800);
}

namespace {

QAction* Command(QWidget& frame, const QString& text)
{
    // A command as the toolbar offers it (not the toolbar's own show/hide entry).
    for (QToolBar* bar : frame.findChildren<QToolBar*>())
        for (QAction* a : bar->actions())
            if (a->iconText() == text)
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
    TempWorkPath dir;
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
    // The refused 95 still stands in its cell: 构件计算 does not go on with
    // the old value behind it, it says again what is wrong.
    {
        ScopedMessageRecorder boxes;
        EXPECT_FALSE(frame.Calculate());
        ASSERT_EQ(boxes.messages.size(), 1u);
        EXPECT_NE(boxes.messages[0].text.find("内摩擦角"), std::string::npos) << boxes.messages[0].text;
        EXPECT_TRUE(r.ZuiZhongKangLi.empty());
        Settle();
    }
    // Esc gives the old value back; then it calculates.
    if (QWidget* editor = layers->focusWidget())
        QTest::keyClick(editor, Qt::Key_Escape);
    Settle();
    ScopedMessageRecorder answers;
    EXPECT_TRUE(frame.Calculate());
    EXPECT_FALSE(r.ZuiZhongKangLi.empty());
}

TEST(Frame, WhatIsTypedWithoutEnterIsCalculatedAndSaved)
{
    TempWorkPath dir;
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
}

// Saving to a data file that cannot hold the record loses nothing: the window
// names the value and offers the JSON form; saying no writes nothing.
TEST(Frame, SavingNeverLosesAValueTheDataFileCannotHold)
{
    TempWorkPath dir;
    const QString file = QString::fromStdString(dir.path + "/rec.dat");
    OpenFrame open(file);
    CDlgKangLi_Slp& frame = open.frame;
    open.r.fZheJianXiShu = 0.5f;
    {
        ScopedMessageRecorder no(IDNO);
        EXPECT_FALSE(frame.Save());
        ASSERT_EQ(no.messages.size(), 1u);
        EXPECT_NE(no.messages[0].text.find("被动土压力折减系数"), std::string::npos) << no.messages[0].text;
        EXPECT_NE(no.messages[0].text.find("rec.json"), std::string::npos) << no.messages[0].text;
        EXPECT_FALSE(QFileInfo::exists(file));
    }
    {
        ScopedMessageRecorder yes(IDYES);
        EXPECT_TRUE(frame.Save());
    }
    EXPECT_FALSE(QFileInfo::exists(file));
    CPelvorinData back;
    std::string error;
    ASSERT_TRUE(LoadRecordFile(dir.path + "/rec.json", back, &error)) << error;
    EXPECT_FLOAT_EQ(back.fZheJianXiShu, 0.5f);
    EXPECT_TRUE(frame.status->text().contains("rec.json")) << frame.status->text().toStdString();
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
    TempWorkPath dir;
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
}

namespace {

// The rows of the label/value tables and the column titles of the layer table,
// as the page shows them.
QStringList ShownLabels(CDlgKangLi& page)
{
    QStringList labels;
    for (EasyTableView* v : {page.jbxx->view, page.tuceng->waterView, page.tuceng->countView})
        for (int row = 0; row < v->rowCount(); ++row)
            if (v->item(row, 0))
                labels << v->item(row, 0)->text();
    EasyTableView* layers = page.tuceng->layersView;
    for (int col = 0; col < layers->columnCount(); ++col)
        labels << layers->horizontalHeaderItem(col)->text();
    return labels;
}

// Double-clicks a cell as a person does, types and presses Enter.
void TypeWithKeys(EasyTableView* view, int row, int col, const QString& text)
{
    view->scrollTo(view->model()->index(row, col));
    const QRect cell = view->visualRect(view->model()->index(row, col));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    Settle();
    auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(view->model()->index(row, col)));
    ASSERT_NE(editor, nullptr) << "no editor at " << row << "," << col;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
}

int RowLabelled(EasyTableView* view, const QString& label)
{
    for (int row = 0; row < view->rowCount(); ++row)
        if (view->item(row, 0) && view->item(row, 0)->text() == label)
            return row;
    return -1;
}

} // namespace

// Every input of the record has a cell with the field table's label and unit; the
// edge distance of the reinforcement is typed like any other value and changes
// the resistance of a rectangular pile.
TEST(Frame, EveryInputOfTheRecordHasACell)
{
    TempWorkPath dir;
    OpenFrame open;
    CDlgKangLi& page = *open.frame.pPage;
    const QStringList shown = ShownLabels(page);
    for (std::span<const FieldDef> fields : {RecordFields(), LayerFields()})
        for (const FieldDef& f : fields) {
            if (!FieldApplies(f, open.r) || !f.label)
                continue;
            EXPECT_TRUE(shown.contains(QString::fromUtf8(f.label))) << f.key;
            // The unit as the label writes it ("kN/m^3" or "kN/m3"; an angle as °).
            std::string unit = f.unit == std::string("kN/m3") ? "kN/m" : f.unit;
            if (unit == "degrees")
                unit = "°";
            EXPECT_NE(std::string(f.label).find(unit), std::string::npos) << f.key;
        }

    EasyTableView* pile = page.jbxx->view;
    const int as = RowLabelled(pile, "钢筋合力点到边缘距离（mm）");
    ASSERT_GE(as, 0);
    ScopedMessageRecorder answers(IDYES);
    TypeWithKeys(pile, as, 1, "200");
    EXPECT_FLOAT_EQ(open.r.fAs, 200.0f);
    EXPECT_EQ(pile->item(as, 1)->text(), "200.0");
    ASSERT_TRUE(open.frame.Calculate());
    const float far = open.r.ZhuangKangLi.front();
    TypeWithKeys(pile, as, 1, "80");
    EXPECT_FLOAT_EQ(open.r.fAs, 80.0f);
    ASSERT_TRUE(open.frame.Calculate());
    EXPECT_GT(open.r.ZhuangKangLi.front(), far); // a deeper effective section resists more
}

namespace {

// What the sketch on screen draws on one of its layers: the height of each level
// line (y at both ends the same), and its texts.
std::vector<double> LevelsOn(const SketchView& sketch, const std::string& layer)
{
    std::vector<double> ys;
    ForEachItem(sketch.Canvas(), [&](const SgtItem& it, const SgtTransform&) {
        if (it.layer == layer && it.kind == SgtItem::Line && it.y1 == it.y2 && it.x1 != it.x2)
            ys.push_back(it.y1);
    });
    return ys;
}

std::vector<std::string> TextsOn(const SketchView& sketch, const std::string& layer)
{
    std::vector<std::string> texts;
    ForEachItem(sketch.Canvas(), [&](const SgtItem& it, const SgtTransform&) {
        if (it.layer == layer && (it.kind == SgtItem::Text || it.kind == SgtItem::AlignedDim) && !it.text.empty())
            texts.push_back(it.text);
    });
    return texts;
}

bool Has(const std::vector<double>& ys, double y)
{
    return std::any_of(ys.begin(), ys.end(), [y](double v) { return std::abs(v - y) < 1e-6; });
}

// The height of the slip line where it crosses the pile's axis.
double SlipAtPile(const SketchView& sketch, double axis)
{
    double at = std::nan("");
    ForEachItem(sketch.Canvas(), [&](const SgtItem& it, const SgtTransform&) {
        if (it.layer == "SLIP" && it.kind == SgtItem::Line && it.x1 < axis && it.x2 > axis)
            at = it.y1 + (it.y2 - it.y1) * (axis - it.x1) / (it.x2 - it.x1);
    });
    return at;
}

} // namespace

// The sketch beside the tables is the record: each edit typed moves what it
// changes, and the section's sizes are named by what they are.
TEST(Frame, TheSketchFollowsEveryEdit)
{
    OpenFrame open; // slope surface 2 m, slip surface 5 m, two layers of 2 m, water 5 m
    CDlgKangLi& page = *open.frame.pPage;
    auto* sketch = page.findChild<SketchView*>();
    ASSERT_NE(sketch, nullptr);
    EasyTableView* pile = page.jbxx->view;
    EXPECT_TRUE(Has(LevelsOn(*sketch, "SLOPE"), -2));
    EXPECT_TRUE(Has(LevelsOn(*sketch, "LAYERS"), -4)); // the first layer's foot
    EXPECT_TRUE(Has(LevelsOn(*sketch, "WATER"), -7));
    // Every level is labelled by its depth below the pile top, the water's too.
    const std::vector<std::string> waterLabels = TextsOn(*sketch, "WATER");
    EXPECT_NE(std::find(waterLabels.begin(), waterLabels.end(), "水位 7.000 m"), waterLabels.end());
    const double axis = 0.5 * 1.5; // half the pile's size along the slide, h
    EXPECT_NEAR(SlipAtPile(*sketch, axis), -5, 1e-9);
    const std::vector<std::string> sizes = TextsOn(*sketch, "SECTION");
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), "b = 1.000 m"), sizes.end());
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), "h = 1.500 m"), sizes.end());

    TypeWithKeys(pile, RowLabelled(pile, "坡面到桩顶距离（m）"), 1, "1");
    TypeWithKeys(pile, RowLabelled(pile, "滑面到桩顶距离（m）"), 1, "8");
    EXPECT_TRUE(Has(LevelsOn(*sketch, "SLOPE"), -1));
    EXPECT_FALSE(Has(LevelsOn(*sketch, "SLOPE"), -2));
    EXPECT_NEAR(SlipAtPile(*sketch, axis), -8, 1e-9);
    EXPECT_TRUE(Has(LevelsOn(*sketch, "LAYERS"), -3)); // the layers come up with the surface
    EXPECT_TRUE(Has(LevelsOn(*sketch, "WATER"), -6));
    const std::vector<std::string> named = TextsOn(*sketch, "SLOPE");
    EXPECT_NE(std::find(named.begin(), named.end(), "坡面 1.000 m"), named.end());

    // The layers top down with their thicknesses, and the water switched off.
    page.tabs->setCurrentIndex(1);
    Settle();
    TypeWithKeys(page.tuceng->layersView, 0, 2, "3.5");
    EXPECT_TRUE(Has(LevelsOn(*sketch, "LAYERS"), -4.5));
    const std::vector<std::string> layers = TextsOn(*sketch, "LAYERS");
    EXPECT_EQ(layers, (std::vector<std::string>{"1 土层 3.50 m", "2 土层 2.00 m"}));
    auto* water = qobject_cast<QComboBox*>(page.tuceng->waterView->cellWidget(0, 1));
    ASSERT_NE(water, nullptr);
    water->textActivated("否");
    Settle();
    EXPECT_TRUE(LevelsOn(*sketch, "WATER").empty());

    // A circle: one size, its diameter.
    page.tabs->setCurrentIndex(0);
    Settle();
    auto* shape = qobject_cast<QComboBox*>(pile->cellWidget(4, 1));
    ASSERT_NE(shape, nullptr);
    shape->textActivated("圆形");
    Settle();
    EXPECT_EQ(TextsOn(*sketch, "SECTION"), (std::vector<std::string>{"截面", "d = 1.500 m"}));
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

// Whether every text of a table view shows whole in its column (the delegate
// elides what is wider than the cell less its margins).
void ExpectWhole(EasyTableView* view)
{
    const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
    for (int c = 0; c < view->columnCount(); ++c) {
        for (int r = 0; r < view->rowCount(); ++r)
            if (QTableWidgetItem* it = view->item(r, c); it && !view->cellWidget(r, c)) {
                EXPECT_GE(view->columnWidth(c), view->fontMetrics().horizontalAdvance(it->text()) + margins)
                    << it->text().toStdString();
            }
        const int headerMargins = 2 * view->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, view);
        if (view->horizontalHeader()->isVisible()) {
            for (const QString& line : view->horizontalHeaderItem(c)->text().split('\n'))
                EXPECT_GE(view->columnWidth(c), view->fontMetrics().horizontalAdvance(line) + headerMargins)
                    << line.toStdString();
        }
    }
}

int ColumnsWidth(EasyTableView* view)
{
    int total = 0;
    for (int c = 0; c < view->columnCount(); ++c)
        total += view->columnWidth(c);
    return total;
}

} // namespace

// Large values show whole, every column is as wide as its content, and the
// tables fill their pane.
TEST(Layout, ColumnsFitTheirContentAndThePane)
{
    OpenFrame open;
    open.r.nTuCengShu = 5;
    open.frame.pPage->RefreshPage();
    open.frame.resize(1100, 720);
    CDlgKangLi& page = *open.frame.pPage;
    page.tabs->setCurrentIndex(1);
    Settle();
    EasyTableView* layers = page.tuceng->layersView;
    TypeWithKeys(layers, 0, 2, "99999.5");
    TypeWithKeys(layers, 1, 5, "12345.678");
    EXPECT_EQ(layers->item(0, 2)->text(), "99999.50");
    EXPECT_EQ(layers->item(1, 5)->text(), "12345.678"); // the value held, not two decimals of it
    ExpectWhole(layers);
    EXPECT_GE(ColumnsWidth(layers), layers->viewport()->width() - 1); // no empty part of the pane
    EXPECT_LE(ColumnsWidth(layers), layers->viewport()->width() + 1);
    // A narrower window: still whole, the table scrolls sideways instead.
    open.frame.resize(700, 600);
    Settle();
    ExpectWhole(layers);
    for (EasyTableView* v : {page.tuceng->waterView, page.tuceng->countView})
        ExpectWhole(v);
    page.tabs->setCurrentIndex(0);
    Settle();
    ExpectWhole(page.jbxx->view);
}

// The diagrams of 结果查询 open fitted into their pages with labels a person can
// read, none drawn over another.
TEST(Layout, ResultDiagramsOpenReadable)
{
    TempWorkPath dir;
    CPelvorinData r;
    std::string error;
    ASSERT_TRUE(LoadRecordFile(KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.json", r, &error)) << error;
    CKangLiJiSuan calc;
    CKangLiResult result;
    CDlgKangLi_Slp frame(&r, &calc, &result, QString());
    frame.show();
    Settle();
    ScopedMessageRecorder answers(IDYES);
    int views = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || w->windowTitle() != "结果查询")
                continue;
            auto* tabs = w->findChild<QTabWidget*>();
            for (int i = 1; tabs && i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                auto* view = qobject_cast<SketchView*>(tabs->widget(i));
                if (!view)
                    continue;
                ++views;
                view->grab();
                const auto& labels = view->Labels();
                EXPECT_GE(labels.size(), 10u) << i;
                for (size_t a = 0; a < labels.size(); ++a) {
                    EXPECT_GE(labels[a].box.height(), 10) << labels[a].text.toStdString();
                    EXPECT_TRUE(QRectF(view->rect()).adjusted(-2, -2, 2, 2).contains(labels[a].box))
                        << i << " " << labels[a].text.toStdString();
                    for (size_t b = a + 1; b < labels.size(); ++b)
                        EXPECT_FALSE(labels[a].box.intersects(labels[b].box))
                            << i << ": " << labels[a].text.toStdString() << " / " << labels[b].text.toStdString();
                }
            }
            w->close();
        }
    });
    closer.start(50);
    frame.ShowResults();
    EXPECT_EQ(views, 2);
}

// 帮助 keeps each unit on one line wherever its box wraps the text.
TEST(Layout, HelpNeverBreaksAUnit)
{
    OpenFrame open;
    ScopedMessageRecorder box(IDOK);
    Command(open.frame, "帮助")->trigger();
    ASSERT_EQ(box.messages.size(), 1u);
    const QString text = QString::fromStdString(box.messages[0].text);
    std::vector<std::pair<int, int>> units; // where each "kN/m3" stands, however it is joined
    const QRegularExpression unit("kN\\W*/\\W*m3");
    for (auto m = unit.globalMatch(text); m.hasNext();) {
        const auto hit = m.next();
        units.push_back({static_cast<int>(hit.capturedStart()), static_cast<int>(hit.capturedEnd())});
    }
    ASSERT_FALSE(units.empty());
    for (int width = 60; width <= 900; width += 3) {
        QTextLayout layout(text, QApplication::font());
        QTextOption wrap;
        wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(wrap);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            const int end = line.textStart() + line.textLength();
            for (const auto& [from, to] : units)
                EXPECT_FALSE(end > from && end < to) << "broken at width " << width;
        }
        layout.endLayout();
    }
}

// Qt's file dialog of the window speaks Chinese in every column: sizes, types,
// dates and titles, each column wide enough for what it shows.
TEST(Layout, FileDialogColumnsReadInChinese)
{
    TempDir dir;
    WriteText(dir.path + "/a.dat", std::string(2048, 'x'));
    WriteText(dir.path + "/b.json", "{}");
    std::unique_ptr<QFileDialog> dialog(NewFileDialog(nullptr, "读入数据", QString::fromStdString(dir.path),
                                                      "数据文件 (*.dat);;JSON 文件 (*.json)", false));
    dialog->setNameFilter("全部 (*.dat *.json)");
    dialog->show();
    auto* list = dialog->findChild<QTreeView*>("treeView");
    ASSERT_NE(list, nullptr);
    QAbstractItemModel* m = list->model();
    for (int i = 0; i < 200 && m->rowCount(list->rootIndex()) < 2; ++i) {
        QTest::qWait(10);
    }
    Settle();
    QTest::qWait(50);
    ASSERT_EQ(m->rowCount(list->rootIndex()), 2);
    QStringList titles;
    for (int c = 0; c < 4; ++c)
        titles << m->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{"名称", "大小", "类型", "修改日期"}));
    const QRegularExpression english("[A-Za-z]{3,}");
    for (int row = 0; row < 2; ++row) {
        const QModelIndex name = m->index(row, 0, list->rootIndex());
        const QString size = m->index(row, 1, list->rootIndex()).data().toString();
        const QString type = m->index(row, 2, list->rootIndex()).data().toString();
        const QString date = m->index(row, 3, list->rootIndex()).data().toString();
        if (name.data().toString() == "a.dat") {
            EXPECT_EQ(size, "2.0 KB");
            EXPECT_EQ(type, "数据文件");
        } else {
            EXPECT_EQ(size, "2 字节");
            EXPECT_EQ(type, "JSON 文件");
        }
        EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}$").match(date).hasMatch()) << date.toStdString();
        EXPECT_FALSE(english.match(size + date).hasMatch()) << (size + date).toStdString();
        for (int c = 0; c < 4; ++c) {
            const QString shown = m->index(row, c, list->rootIndex()).data().toString();
            EXPECT_GE(list->columnWidth(c), list->fontMetrics().horizontalAdvance(shown)) << shown.toStdString();
        }
    }
}

// Without a display the program says so in Chinese and ends with status 1.
TEST(DialogProgram, WithoutADisplaySaysSoAndEnds)
{
    TempDir dir;
    for (const std::string display : {"", "DISPLAY=:4791 "}) {
        const std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + display + "'" KANGLI_GUI_EXE
                                "' '" KANGLI_EXAMPLES_DIR "/defaults.json' >/dev/null 2>'" + dir.path + "/err'";
        const int raw = std::system(cmd.c_str());
        ASSERT_TRUE(WIFEXITED(raw)) << display; // not ended by a signal (Qt's abort)
        EXPECT_EQ(WEXITSTATUS(raw), 1) << display;
        const std::string err = ReadText(dir.path + "/err");
        EXPECT_NE(err.find("显示器"), std::string::npos) << err;
        EXPECT_EQ(err.find("qt.qpa"), std::string::npos) << err;
        EXPECT_EQ(err.find("This application failed"), std::string::npos) << err;
        if (!display.empty()) {
            EXPECT_NE(err.find(":4791"), std::string::npos) << err;
        }
    }
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

// Calculating is no edit: a record just opened, or just saved, and then
// calculated closes without the question about unsaved edits.
TEST(Frame, CalculatingIsNoEditToAsk)
{
    TempWorkPath dir;
    const std::string file = dir.path + "/rec.json";
    {
        CPelvorinData r = NewRecord(true);
        r.TuCeng[1].nLeiXing = 1; // a rock layer: the calculation writes its underwater values
        r.TuCeng[1].fShuiXiaNianJuLi = 1;
        std::string error;
        ASSERT_TRUE(SaveRecordFile(file, r, &error)) << error;
    }
    OpenFrame open(QString::fromStdString(file));
    ScopedMessageRecorder answers(IDNO);
    ASSERT_TRUE(open.frame.Calculate());
    const size_t asked = answers.messages.size();
    EXPECT_FALSE(open.frame.Unsaved());
    open.frame.reject();
    Settle();
    EXPECT_EQ(answers.messages.size(), asked);
    EXPECT_FALSE(open.frame.isVisible());
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
        EXPECT_EQ(no.messages.size(), 2u); // the close button asks once, not twice
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
    TempWorkPath dir;
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

// A real X display where Xvfb and xdotool are installed: the window appears
// under its Chinese title as a window list shows it, and Esc on the page
// leaves it open.
// The sketch's labels, as a person sees them in the frame's pane: none crosses
// a line of the sketch or another label, for the bundled records and for the
// crowded cases people met (slope surface above the pile top with the water
// just below it, water at the surface, a wide section, a deep slip surface).
TEST(Layout, SketchLabelsCrossNoLineAndNoLabel)
{
    std::vector<std::pair<std::string, CPelvorinData>> cases;
    for (const char* name : {"defaults.json", "circular-pile-into-rock.json", "rectangular-pile-soil-layers.json"}) {
        CPelvorinData r;
        std::string error;
        ASSERT_TRUE(LoadRecordFile(std::string(KANGLI_EXAMPLES_DIR "/") + name, r, &error)) << error;
        cases.emplace_back(name, r);
    }
    auto variant = [&](const char* what, auto change) {
        CPelvorinData r = cases.front().second;
        change(r);
        cases.emplace_back(what, r);
    };
    variant("surface above the top", [](CPelvorinData& r) {
        r.fPoMianDaoZhuangDing = -2;
        r.fShuiWeiShenDu = 0.5;
        r.fZhuangKuan = 2;
    });
    variant("water at the surface", [](CPelvorinData& r) {
        r.fPoMianDaoZhuangDing = 0;
        r.fShuiWeiShenDu = 0;
        r.fHuaMianDaoZhuangDing = 3;
    });
    variant("deep slip, circle", [](CPelvorinData& r) {
        r.nJieMianXingZhuang = 0;
        r.fHuaMianDaoZhuangDing = 9;
        r.fShuiWeiShenDu = 3;
    });
    for (auto& [what, record] : cases) {
        CPelvorinData r = record;
        CKangLiJiSuan calc;
        CKangLiResult result;
        CDlgKangLi_Slp frame(&r, &calc, &result, QString());
        frame.resize(1100, 720);
        frame.show();
        Settle();
        auto* sketch = frame.pPage->findChild<SketchView*>();
        ASSERT_NE(sketch, nullptr);
        // Text boxes as the screen draws them (a font of the text's height),
        // shrunk a little: touching is not crossing.
        struct Box {
            double x0, y0, x1, y1;
            std::string text;
        };
        std::vector<Box> boxes;
        std::vector<std::array<double, 4>> lines;
        ForEachItem(sketch->Canvas(), [&](const SgtItem& it, const SgtTransform&) {
            if (it.kind == SgtItem::Text && !it.text.empty()) {
                const double len = TextMetrics::Length(it.text) / TextMetrics::kEm * it.height;
                const double m = 0.05 * it.height;
                boxes.push_back({it.x1 + m, it.y1 - 0.2 * it.height + m, it.x1 + len - m, it.y1 + 0.85 * it.height - m,
                                 it.text});
            } else if (it.kind == SgtItem::Line) {
                lines.push_back({it.x1, it.y1, it.x2, it.y2});
            }
        });
        ASSERT_GE(boxes.size(), 5u) << what;
        for (size_t i = 0; i < boxes.size(); ++i) {
            const Box& a = boxes[i];
            for (size_t j = i + 1; j < boxes.size(); ++j) {
                const Box& b = boxes[j];
                EXPECT_FALSE(a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1)
                    << what << ": \"" << a.text << "\" and \"" << b.text << "\" overlap";
            }
            for (const auto& l : lines) {
                // Sampled along the line: a crossing of a text box shows.
                bool crosses = false;
                for (int k = 0; k <= 400 && !crosses; ++k) {
                    const double x = l[0] + (l[2] - l[0]) * k / 400.0, y = l[1] + (l[3] - l[1]) * k / 400.0;
                    crosses = x > a.x0 && x < a.x1 && y > a.y0 && y < a.y1;
                }
                EXPECT_FALSE(crosses) << what << ": a line crosses \"" << a.text << "\"";
            }
        }
        frame.MarkSaved();
        frame.reject();
    }
}

// A whole record typed by keyboard alone, as it opens: the pile page value by
// value, Tab past its last value out of the table, Ctrl+PgDn to the soil page,
// the water switch turned on by "1" with its level typed after the same Tab,
// three layers, Ctrl+S. Every value is in the saved file.
TEST(Keyboard, AWholeRecordByKeyboardAlone)
{
    TempDir dir;
    const std::string file = dir.path + "/typed.json";
    OpenFrame open(QString::fromStdString(file));
    CDlgKangLi_Slp& frame = open.frame;
    open.r.bKaoLvShui = 0;
    frame.pPage->RefreshPage();
    frame.activateWindow();
    frame.pPage->FocusPage();
    Settle();
    ScopedMessageRecorder boxes;
    auto type = [](std::initializer_list<const char*> values) {
        for (const char* v : values) {
            Keys(v);
            Key(Qt::Key_Tab);
        }
    };
    // spacing, length, slope surface, slip surface, shape (1 rectangle), h, b,
    // cover (mm), unit weight, grade
    type({"4", "12", "1", "6", "1", "2", "1.5", "80", "25", "30"});
    EasyTableView* pile = frame.pPage->jbxx->view;
    EXPECT_FALSE(pile->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == pile)
        << "Tab after the last value stays in the table";
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(frame.pPage->tabs->currentIndex(), 1);
    // water on, level 1 m; three layers, reduction 0.35
    type({"1", "1", "3", "0.35"});
    // type, thickness, unit weight, buoyant, c, phi, c and phi under water
    type({"0", "3", "19", "9", "12", "18", "8", "16"});
    type({"0", "2.125", "20", "10", "0.004", "25", "5", "22"});
    type({"1", "7", "23"});
    Key(Qt::Key_S, Qt::ControlModifier);
    for (const MessageRequest& m : boxes.messages)
        ADD_FAILURE() << "asked or told: " << m.text;

    CPelvorinData back;
    std::string error;
    ASSERT_TRUE(LoadRecordFile(file, back, &error)) << error;
    EXPECT_FLOAT_EQ(back.fZhuangJianJu, 4);
    EXPECT_FLOAT_EQ(back.fZhuangChang, 12);
    EXPECT_FLOAT_EQ(back.fPoMianDaoZhuangDing, 1);
    EXPECT_FLOAT_EQ(back.fHuaMianDaoZhuangDing, 6);
    EXPECT_EQ(back.nJieMianXingZhuang, 1);
    EXPECT_FLOAT_EQ(back.fZhuangGao, 2);
    EXPECT_FLOAT_EQ(back.fZhuangKuan, 1.5);
    EXPECT_FLOAT_EQ(back.fAs, 80);
    EXPECT_FLOAT_EQ(back.fZhuangRongZhong, 25);
    EXPECT_EQ(back.nHunNingTuDengJi, 30);
    EXPECT_EQ(back.bKaoLvShui, 1);
    EXPECT_FLOAT_EQ(back.fShuiWeiShenDu, 1);
    EXPECT_EQ(back.nTuCengShu, 3);
    EXPECT_FLOAT_EQ(back.fZheJianXiShu, 0.35f);
    ASSERT_EQ(back.TuCeng.size(), 3u);
    const float first[] = {3, 19, 9, 12, 18, 8, 16}, second[] = {2.125f, 20, 10, 0.004f, 25, 5, 22};
    for (size_t i = 0; i < 2; ++i) {
        const CTuCeng& l = back.TuCeng[i];
        const float* want = i == 0 ? first : second;
        EXPECT_EQ(l.nLeiXing, 0);
        const float got[] = {l.fHouDu, l.fZhongDu, l.fFuZhongDu, l.fNianJuLi, l.fMoCaJiao, l.fShuiXiaNianJuLi,
                             l.fShuiXiaMoCaJiao};
        for (int k = 0; k < 7; ++k)
            EXPECT_FLOAT_EQ(got[k], want[k]) << "layer " << i + 1 << " value " << k + 1;
    }
    EXPECT_EQ(back.TuCeng[2].nLeiXing, 1);
    EXPECT_FLOAT_EQ(back.TuCeng[2].fHouDu, 7);
    EXPECT_FLOAT_EQ(back.TuCeng[2].fZhongDu, 23);
    EXPECT_FALSE(frame.Unsaved());
}

// Between the tables, the pages and the commands without a mouse: Shift+Tab
// comes back into a table at its last value, Tab from outside at its first,
// Ctrl+Tab turns the page from anywhere, Enter presses a focused toolbar
// button, F5 calculates, and Alt+D opens the 数据 menu.
TEST(Keyboard, TablesPagesAndCommandsWithoutAMouse)
{
    TempWorkPath dir;
    OpenFrame open;
    CDlgKangLi_Slp& frame = open.frame;
    frame.activateWindow();
    frame.pPage->FocusPage();
    Settle();
    EasyTableView* pile = frame.pPage->jbxx->view;
    auto inPile = [pile] {
        QWidget* f = QApplication::focusWidget();
        return f == pile || pile->isAncestorOf(f);
    };
    ASSERT_TRUE(inPile());
    EXPECT_EQ(pile->currentRow(), 0);
    // Shift+Tab before the first value leaves backwards; Tab comes back onto it.
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_FALSE(inPile());
    Key(Qt::Key_Tab);
    EXPECT_TRUE(inPile());
    EXPECT_EQ(pile->currentRow(), 0);
    // From the control after the table, Shift+Tab lands on its last value.
    int last = -1;
    for (int row = 0; row < pile->rowCount(); ++row)
        if (pile->item(row, 1) && (pile->cellWidget(row, 1) || (pile->item(row, 1)->flags() & Qt::ItemIsEditable)))
            last = row;
    pile->setCurrentCell(last, 1);
    if (QWidget* w = pile->cellWidget(last, 1))
        w->setFocus();
    Settle();
    Key(Qt::Key_Tab);
    EXPECT_FALSE(inPile());
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(inPile());
    EXPECT_EQ(pile->currentRow(), last);

    // Ctrl+Tab from a focused button turns the page; back with Ctrl+PgUp.
    Key(Qt::Key_Tab);
    ASSERT_FALSE(inPile());
    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(frame.pPage->tabs->currentIndex(), 1);
    EXPECT_TRUE(frame.pPage->tuceng->waterView->isAncestorOf(QApplication::focusWidget()) ||
                QApplication::focusWidget() == frame.pPage->tuceng->waterView);
    Key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(frame.pPage->tabs->currentIndex(), 0);
    EXPECT_TRUE(inPile());

    // Enter on the focused toolbar button 构件计算.
    QWidget* button = nullptr;
    for (QAction* a : frame.toolBar->actions())
        if (a->iconText() == "构件计算")
            button = frame.toolBar->widgetForAction(a);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus);
    button->setFocus(Qt::TabFocusReason);
    Settle();
    Key(Qt::Key_Return);
    QTest::qWait(300); // the button's pressed look before its click
    Settle();
    EXPECT_TRUE(frame.ResultsCurrent());
    // An edit makes the results stale; F5 calculates again.
    ASSERT_NE(TypeInto(pile, 0, 1, "3"), nullptr);
    Key(Qt::Key_Return);
    EXPECT_FALSE(frame.ResultsCurrent());
    Key(Qt::Key_F5);
    EXPECT_TRUE(frame.ResultsCurrent());

    Key(Qt::Key_D, Qt::AltModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr) << "Alt+D opened no menu";
    EXPECT_EQ(menu->title(), "数据(&D)");
    menu->close();
    Settle();
}

// Typed into a drop-down, a value shows before Tab takes it; Esc drops it.
TEST(Keyboard, TypedChoiceTextShowsWhileTyped)
{
    OpenFrame open;
    EasyTableView* pile = open.frame.pPage->jbxx->view;
    QWidget* grade = nullptr;
    for (int row = 0; row < pile->rowCount(); ++row)
        if (pile->item(row, 0) && pile->item(row, 0)->text() == "混凝土等级")
            grade = pile->cellWidget(row, 1);
    ASSERT_NE(grade, nullptr);
    grade->setFocus();
    Settle();
    const QImage before = grade->grab().toImage();
    Keys("3");
    const QImage typing = grade->grab().toImage();
    EXPECT_NE(typing, before) << "what is typed does not show";
    Key(Qt::Key_Escape);
    EXPECT_EQ(grade->grab().toImage(), before);
    EXPECT_EQ(open.r.nHunNingTuDengJi, 25);
}

// Querying a reopened record asks nothing; 构件计算 over a result set of other
// data, left by an earlier session, names the file it would replace.
TEST(Frame, QueryingAsksNothingAndAQuestionNamesItsFile)
{
    TempWorkPath dir;
    {
        OpenFrame first;
        ASSERT_TRUE(first.frame.Calculate());
    }
    const std::string stored = dir.path + "/kl.dat";
    ASSERT_TRUE(std::filesystem::exists(stored));
    {
        OpenFrame again;
        again.r.fZhuangJianJu = 7; // as a record saved after the last calculation
        again.frame.pPage->RefreshPage();
        ScopedMessageRecorder boxes(IDYES);
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->windowTitle() == "结果查询")
                    w->close();
        });
        closer.start(20);
        again.frame.ShowResults();
        for (const MessageRequest& m : boxes.messages)
            EXPECT_EQ(m.text.find("数据已发生改变"), std::string::npos) << m.text;
        EXPECT_TRUE(again.frame.ResultsCurrent());
    }
    OpenFrame third;
    third.r.fZhuangJianJu = 3;
    third.frame.pPage->RefreshPage();
    ScopedMessageRecorder boxes(IDNO);
    EXPECT_FALSE(third.frame.Calculate());
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_NE(boxes.messages[0].text.find("数据已发生改变，是否继续计算！"), std::string::npos);
    EXPECT_NE(boxes.messages[0].text.find(stored), std::string::npos) << boxes.messages[0].text;
    // Once this frame has written the set, a new calculation replaces it unasked.
    boxes.messages.clear();
    boxes.answer = IDYES;
    ASSERT_TRUE(third.frame.Calculate());
    third.r.fZhuangJianJu = 5;
    third.frame.pPage->RefreshPage();
    const size_t asked = boxes.messages.size();
    ASSERT_TRUE(third.frame.Calculate());
    EXPECT_EQ(boxes.messages.size(), asked);
}

TEST(RealWindow, TheFrameOpensUnderItsTitleAndEscKeepsItOpen)
{
    if (std::system("command -v Xvfb >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "Xvfb or xdotool not installed";
    TempDir dir;
    const std::string rec = dir.path + "/pile.json";
    WriteText(rec, ReadText(KANGLI_EXAMPLES_DIR "/defaults.json"));
    const std::string display = ":" + std::to_string(90 + ::getpid() % 9);
    const std::string script =
        "set -e; Xvfb " + display + " -screen 0 1400x900x24 >/dev/null 2>&1 & X=$!; "
        "trap 'kill $G 2>/dev/null; kill $X 2>/dev/null' EXIT; sleep 1; export DISPLAY=" + display + "; "
        "env -u QT_QPA_PLATFORM '" KANGLI_GUI_EXE "' '" + rec + "' >/dev/null 2>&1 & G=$!; "
        "W=$(timeout 30 xdotool search --sync --name '边坡治理构件计算' | head -1); "
        "xdotool getwindowname $W > '" + dir.path + "/name.txt'; "
        "xdotool key --window $W Escape; sleep 1; "
        "kill -0 $G && echo alive > '" + dir.path + "/alive.txt'";
    WriteText(dir.path + "/session.sh", script + "\n");
    const std::string cmd = "bash '" + dir.path + "/session.sh' >/dev/null 2>&1";
    std::system(cmd.c_str());
    EXPECT_EQ(ReadText(dir.path + "/name.txt"), "边坡治理构件计算\n");
    EXPECT_EQ(ReadText(dir.path + "/alive.txt"), "alive\n");
}

// A person at a real X display (with a window manager when one is installed),
// keyboard only. First a whole record typed into kangli-gui, water switched on
// with its level typed after the same Tab, Ctrl+PgDn to the soil page, Ctrl+S.
// Then a host that opens the pile's window twice on one model: F5 and Alt+O the
// first time; the second time the spacing is typed over (4 to 3) and Alt+O
// pressed without calculating: the host gets the resistance at spacing 3.
TEST(RealWindow, ARecordAndARepeatedDialogByKeyboardAlone)
{
    if (std::system("command -v Xvfb >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "Xvfb or xdotool not installed";
    TempDir dir;
    const std::string rec = dir.path + "/pile.json";
    {
        std::string text = ReadText(KANGLI_EXAMPLES_DIR "/defaults.json");
        const std::string on = "\"bKaoLvShui\": 1";
        ASSERT_NE(text.find(on), std::string::npos);
        text.replace(text.find(on), on.size(), "\"bKaoLvShui\": 0");
        WriteText(rec, text);
    }
    const std::string display = ":" + std::to_string(80 + ::getpid() % 9);
    const std::string script =
        "Xvfb " + display + " -screen 0 1280x720x24 >/dev/null 2>&1 & X=$!; "
        "trap 'kill $G $O $X 2>/dev/null' EXIT; sleep 1; export DISPLAY=" + display + "; "
        "if command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & O=$!; sleep 1; fi; "
        "t() { xdotool type --delay 40 \"$1\"; xdotool key Tab; sleep 0.25; }; "
        "env -u QT_QPA_PLATFORM '" KANGLI_GUI_EXE "' '" + rec + "' >/dev/null 2>&1 & G=$!; "
        "W=$(timeout 30 xdotool search --sync --name '边坡治理构件计算' | head -1); sleep 1; "
        "xdotool windowactivate --sync $W 2>/dev/null; "
        "xdotool getwindowgeometry --shell $W > '" + dir.path + "/geometry.txt'; "
        "t 4; t 12; t 1; t 6; t 1; t 2; t 1.5; t 80; t 25; t 30; "
        "xdotool key ctrl+Next; sleep 0.5; "
        "t 1; t 1; t 3; t 0.35; "
        "t 0; t 3; t 19; t 9; t 12; t 18; t 8; t 16; "
        "t 0; t 2.125; t 20; t 10; t 0.004; t 25; t 5; t 22; "
        "t 1; t 7; t 23; "
        "xdotool key ctrl+s; sleep 1; kill $G; wait $G 2>/dev/null; "
        "env -u QT_QPA_PLATFORM '" KANGLI_HOST_EXE "' --dialog '" KANGLI_EXAMPLES_DIR "/slope/circle-cuts-pile.json' '" +
        dir.path + "/work' --times 2 > '" + dir.path + "/host.txt' 2>/dev/null & G=$!; "
        "W=$(timeout 30 xdotool search --sync --name '边坡治理构件计算' | head -1); sleep 1; "
        "xdotool key F5; sleep 1; xdotool key alt+o; sleep 1.5; "
        "xdotool type --delay 60 3; sleep 0.3; xdotool key alt+o; sleep 1; "
        "xdotool key Return; sleep 1; "
        "for i in 1 2 3 4 5 6 7 8 9 10; do kill -0 $G 2>/dev/null || break; sleep 0.5; done";
    WriteText(dir.path + "/session.sh", script + "\n");
    const std::string cmd = "timeout 120 bash '" + dir.path + "/session.sh' >/dev/null 2>&1";
    std::system(cmd.c_str());

    // The whole frame on the 1280 x 720 screen, 确定 and the status line included.
    std::map<std::string, int> geometry;
    {
        const std::string text = ReadText(dir.path + "/geometry.txt");
        const std::regex field(R"((X|Y|WIDTH|HEIGHT)=(-?\d+))");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), field); it != std::sregex_iterator(); ++it)
            geometry[(*it)[1]] = std::stoi((*it)[2]);
    }
    ASSERT_EQ(geometry.size(), 4u) << ReadText(dir.path + "/geometry.txt");
    EXPECT_LE(geometry["Y"] + geometry["HEIGHT"], 720);
    EXPECT_LE(geometry["X"] + geometry["WIDTH"], 1280);

    CPelvorinData back;
    std::string error;
    ASSERT_TRUE(LoadRecordFile(rec, back, &error)) << error;
    EXPECT_FLOAT_EQ(back.fZhuangJianJu, 4);
    EXPECT_FLOAT_EQ(back.fZhuangChang, 12);
    EXPECT_EQ(back.nHunNingTuDengJi, 30);
    EXPECT_EQ(back.bKaoLvShui, 1);
    EXPECT_FLOAT_EQ(back.fShuiWeiShenDu, 1);
    EXPECT_FLOAT_EQ(back.fZheJianXiShu, 0.35f);
    ASSERT_EQ(back.TuCeng.size(), 3u);
    EXPECT_FLOAT_EQ(back.TuCeng[0].fShuiXiaMoCaJiao, 16);
    EXPECT_FLOAT_EQ(back.TuCeng[1].fHouDu, 2.125f);
    EXPECT_FLOAT_EQ(back.TuCeng[1].fNianJuLi, 0.004f);
    EXPECT_EQ(back.TuCeng[2].nLeiXing, 1);
    EXPECT_FLOAT_EQ(back.TuCeng[2].fZhongDu, 23);

    // Spacing 4 in the model, then 3 typed in the second window: the ground's
    // resistance per metre of slope grows as 4/3.
    const std::string host = ReadText(dir.path + "/host.txt");
    const std::regex resistance(R"(call (\d): JiSuan_KangLi_Slp_New = 1\n.*resistance on the slip surface ([0-9.]+) kN/m)");
    std::vector<double> got;
    for (auto it = std::sregex_iterator(host.begin(), host.end(), resistance); it != std::sregex_iterator(); ++it)
        got.push_back(std::stod((*it)[2]));
    ASSERT_EQ(got.size(), 2u) << host;
    EXPECT_NEAR(got[1] / got[0], 4.0 / 3.0, 1e-4) << host;
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
