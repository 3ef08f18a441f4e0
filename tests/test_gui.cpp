// The window as a person uses it (offscreen platform, and a real X display where
// Xvfb is installed): what is typed reaches the record, the calculation and the
// files; nothing typed is lost without a word; the results and the sketch are
// those of the record on screen; the dialog program runs unattended.
#include "DlgKangLi_Slp.h"
#include "EasyTableView.h"
#include "FieldTable.h"
#include "ForcesPanel.h"
#include "KangLiJiSuan.h"
#include "KangLiResult.h"
#include "Messages.h"
#include "RecordFile.h"
#include "SketchView.h"
#include "TestFiles.h"

#include <QTest>
#include <QtWidgets>

#include <gtest/gtest.h>

namespace {

constexpr auto npos = std::string::npos;

void Settle() { for (int i = 0; i < 5; ++i) QApplication::processEvents(); }

// Opens the editor of a cell as a double click does and types into it, then
// Enter, or no key at all.
void TypeInto(EasyTableView* view, int row, int col, const QString& text, bool enter = false)
{
    view->setCurrentCell(row, col);
    view->editItem(view->item(row, col));
    auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(view->model()->index(row, col)));
    ASSERT_NE(editor, nullptr) << "no editor at " << row << "," << col;
    editor->clear();
    QTest::keyClicks(editor, text);
    if (enter)
        QTest::keyClick(editor, Qt::Key_Return);
    Settle();
}

// Keys as a person types them, to whatever has the focus now: the text, then
// `key` (if any) with `modifiers`.
void Keys(const QString& text, Qt::Key key = Qt::Key_unknown, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    for (int i = 0; i < text.size() + (key != Qt::Key_unknown); ++i) {
        QWidget* to = QApplication::focusWidget();
        ASSERT_NE(to, nullptr) << "nothing has the focus";
        i < text.size() ? QTest::keyClicks(to, QString(text[i])) : QTest::keyClick(to, key, modifiers);
        Settle();
    }
}

// A new record with two layers.
CPelvorinData NewRecord(bool water = true)
{
    CPelvorinData r;
    InitKangLiData(&r);
    r.TuCeng.resize(2);
    r.bKaoLvShui = water ? 1 : 0;
    return r;
}

// A record file written, or read back; either must succeed.
void Write(const std::string& file, CPelvorinData r)
{
    std::string error;
    EXPECT_TRUE(SaveRecordFile(file, r, &error)) << error;
}
CPelvorinData Read(const std::string& file)
{
    CPelvorinData r = NewRecord();
    std::string error;
    EXPECT_TRUE(LoadRecordFile(file, r, &error)) << error;
    return r;
}

// The frame open on a record, shown, and its pile and layer tables; it works
// in the work path set up then and tells whatever answers messages at the time.
struct OpenFrame {
    CPelvorinData r;
    CKangLiJiSuan calc{ContextFromProcess()};
    CKangLiResult result;
    CDlgKangLi_Slp frame;
    CDlgKangLi& page = *frame.pPage;
    EasyTableView *pile = page.jbxx->view, *layers = page.tuceng->layersView;
    explicit OpenFrame(const std::string& path = "", CPelvorinData record = NewRecord())
        : r(std::move(record)), frame(&r, &calc, &result, QString::fromStdString(path))
    {
        calc.context.sink = [](const MessageRequest& m) { return CurrentMessageSink()(m); };
        frame.show();
        Settle();
    }
};

// A field of the record by its key, or of the layer in `row` (-1: the record's).
double Held(int row, const char* key, const CPelvorinData& r)
{
    return row < 0 ? FieldValue(*FindRecordField(key), r) : FieldValue(*FindLayerField(key), r.TuCeng[row]);
}

// A whole record as a person types it with the keyboard alone on a record
// without water, in Tab order: the pile page; Ctrl+PgDn (the null row); the soil
// page, the water switched on by "1" and its level typed after the same Tab;
// then each layer, its type's drop-down by the value a data file stores (1 rock).
struct Typed { const char *key, *typed; };
const Typed kRecordTyped[] = {
    {"fZhuangJianJu", "4"}, {"fZhuangChang", "12"}, {"fPoMianDaoZhuangDing", "1"}, {"fHuaMianDaoZhuangDing", "6"},
    {"nJieMianXingZhuang", "1"}, {"fZhuangGao", "2"}, {"fZhuangKuan", "1.5"}, {"fAs", "80"},
    {"fZhuangRongZhong", "25"}, {"nHunNingTuDengJi", "30"}, {nullptr, nullptr},
    {"bKaoLvShui", "1"}, {"fShuiWeiShenDu", "1"}, {"nTuCengShu", "3"}, {"fZheJianXiShu", "0.35"},
};
const char* const kLayerColumns[] = {
    "nLeiXing", "fHouDu", "fZhongDu", "fFuZhongDu", "fNianJuLi", "fMoCaJiao", "fShuiXiaNianJuLi", "fShuiXiaMoCaJiao"};
const std::vector<std::vector<const char*>> kLayersTyped = {
    {"0", "3", "19", "9", "12", "18", "8", "16"}, {"0", "2.125", "20", "10", "0.004", "25", "5", "22"}, {"1", "7", "23"}};

// Each value followed by Tab; "" for Ctrl+PgDn.
std::vector<std::string> WholeRecordKeys()
{
    std::vector<std::string> keys;
    for (const Typed& v : kRecordTyped)
        keys.push_back(v.key ? v.typed : "");
    for (const auto& layer : kLayersTyped)
        keys.insert(keys.end(), layer.begin(), layer.end());
    return keys;
}

void ExpectWholeRecordIn(const std::string& file)
{
    const CPelvorinData back = Read(file);
    for (const Typed& v : kRecordTyped)
        EXPECT_TRUE(!v.key || float(Held(-1, v.key, back)) == std::stof(v.typed)) << v.key;
    ASSERT_EQ(back.TuCeng.size(), kLayersTyped.size());
    for (size_t i = 0; i < kLayersTyped.size(); ++i)
        for (size_t k = 0; k < kLayersTyped[i].size(); ++k)
            EXPECT_FLOAT_EQ(float(Held(int(i), kLayerColumns[k], back)), std::stof(kLayersTyped[i][k]))
                << "layer " << i + 1 << " " << kLayerColumns[k];
}

} // namespace

// Values typed into the pile and layer tables reach the record as typed and
// show as held; the calculation takes them, and what is still being typed,
// without Enter, is taken by F5, by a page switch and by a save. A file that
// appeared meanwhile is replaced only when the user says so, asked once.
TEST(Frame, TypedValuesReachTheRecordTheCalculationAndTheFile)
{
    TempWorkPath dir;
    const std::string file = dir.path + "/rec.dat";
    OpenFrame open(file);
    CPelvorinData& r = open.r;
    const struct { EasyTableView* view; int row, col; const char *typed, *key; float value; const char* shown; } taken[] = {
        {open.pile, 1, 1, "12.5", "fZhuangChang", 12.5f, "12.500"},
        {open.pile, 2, 1, "0", "fPoMianDaoZhuangDing", 0, "0.000"}, // the slope surface level with the top
        {open.pile, 7, 1, "200", "fAs", 200, "200.0"},
        {open.layers, 0, 5, "0", "fNianJuLi", 0, "0.00"}, // sand
        {open.layers, 1, 5, "12345.678", "fNianJuLi", 12345.678f, "12345.678"}, // as held, not two decimals of it
    };
    for (const auto& c : taken) {
        open.page.tabs->setCurrentIndex(c.view == open.pile ? 0 : 1);
        TypeInto(c.view, c.row, c.col, c.typed, true);
        EXPECT_FLOAT_EQ(float(Held(c.view == open.pile ? -1 : c.row, c.key, r)), c.value) << c.typed;
        EXPECT_EQ(c.view->item(c.row, c.col)->text(), c.shown);
    }
    ScopedMessageRecorder no(IDNO);
    ASSERT_TRUE(open.frame.Calculate());
    EXPECT_FLOAT_EQ(r.pDianZuoBiao->front(), 12.5f); // the points run to the typed foot
    const float far = r.ZhuangKangLi.front();
    open.page.tabs->setCurrentIndex(0);
    TypeInto(open.pile, 7, 1, "80");
    Keys("", Qt::Key_F5);
    EXPECT_GT(r.ZhuangKangLi.front(), far); // a deeper effective section resists more
    WriteText(file, "the user's old file");
    TypeInto(open.pile, 2, 1, "2.5");
    Keys("", Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadText(file), "the user's old file"); // 否
    no.answer = IDYES;
    Keys("", Qt::Key_S, Qt::ControlModifier);
    Keys("", Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(no.messages.size(), 2u); // asked once only
    EXPECT_NE(no.messages[0].text.find("已存在，是否覆盖？"), npos) << no.messages[0].text;
    EXPECT_NE(ReadText(file).find(",2.500000,"), npos);
    TypeInto(open.pile, 1, 1, "9");
    open.page.tabs->setCurrentIndex(1);
    EXPECT_FLOAT_EQ(r.fZhuangChang, 9);
}

// A data file that cannot hold the record loses nothing: saving names the value
// and offers the JSON form (no writes nothing); 导入 of a data file says which
// inputs it did not hold and what they are now.
TEST(Frame, ADataFileNeverSilentlyDropsAValue)
{
    TempWorkPath dir;
    const std::string dat = dir.path + "/rec.dat";
    OpenFrame open(dat);
    open.r.fZheJianXiShu = 0.25f;
    ScopedMessageRecorder box(IDNO);
    EXPECT_FALSE(open.frame.Save());
    box.answer = IDYES;
    EXPECT_TRUE(open.frame.Save());
    ASSERT_EQ(box.messages.size(), 2u);
    EXPECT_NE(box.messages[0].text.find("被动土压力折减系数"), npos) << box.messages[0].text;
    EXPECT_NE(box.messages[0].text.find("rec.json"), npos) << box.messages[0].text;
    EXPECT_FALSE(std::filesystem::exists(dat));
    EXPECT_TRUE(open.frame.status->text().contains("rec.json")) << open.frame.status->text().toStdString();
    EXPECT_FLOAT_EQ(Read(dir.path + "/rec.json").fZheJianXiShu, 0.25f);

    Write(dat, NewRecord());
    box.messages.clear();
    ASSERT_TRUE(open.frame.ImportFile(QString::fromStdString(dat)));
    ASSERT_EQ(box.messages.size(), 1u);
    for (const char* part : {"数据文件不含以下数值", "被动土压力折减系数 0.3", "第1层 ", "水下粘聚力"})
        EXPECT_NE(box.messages[0].text.find(part), npos) << part << " in " << box.messages[0].text;
    EXPECT_FLOAT_EQ(open.r.fZheJianXiShu, 0.3f);
}

// Calculating is no edit; an edit is never thrown away without a word: 取消 and
// the close button ask (once), 导入 asks, fewer layers ask before the ones below
// go; saving to the file the frame was opened on asks nothing and leaves the
// results marked out of date; then the frame closes unasked.
TEST(Frame, UnsavedEditsAreNotLostSilently)
{
    TempWorkPath dir;
    const std::string file = dir.path + "/rec.json";
    CPelvorinData saved = NewRecord();
    saved.TuCeng[1].nLeiXing = 1; // a rock layer: the calculation writes its underwater values
    saved.TuCeng[1].fShuiXiaNianJuLi = 1;
    Write(file, saved);
    OpenFrame open(file, saved);
    CDlgKangLi_Slp& frame = open.frame;
    ScopedMessageRecorder no(IDNO);
    ASSERT_TRUE(frame.Calculate());
    EXPECT_FALSE(frame.Unsaved());

    TypeInto(open.pile, 0, 1, "4");
    frame.reject();
    Settle();
    ASSERT_EQ(no.messages.size(), 1u);
    EXPECT_NE(no.messages[0].text.find("尚未保存"), npos) << no.messages[0].text;
    frame.close();
    Settle();
    EXPECT_TRUE(frame.isVisible());
    EXPECT_FALSE(frame.Import());
    EXPECT_EQ(no.messages.size(), 3u); // the close button asks once, not twice

    open.page.tabs->setCurrentIndex(1);
    for (const int answer : {IDNO, IDYES}) {
        no.messages.clear();
        no.answer = answer;
        TypeInto(open.page.tuceng->countView, 0, 1, "1", true);
        ASSERT_EQ(no.messages.size(), 1u);
        EXPECT_EQ(no.messages[0].text, "土层数由 2 改为 1，将删除第 2 层的数据，是否继续？");
        EXPECT_EQ(open.r.TuCeng.size(), answer == IDNO ? 2u : 1u);
        EXPECT_EQ(open.r.nTuCengShu, answer == IDNO ? 2 : 1);
    }
    no.messages.clear();
    EXPECT_TRUE(frame.Save());
    EXPECT_NE(ReadText(file).find("\"fZhuangJianJu\": 4"), npos);
    EXPECT_TRUE(frame.status->text().contains("过时")) << frame.status->text().toStdString();
    frame.reject();
    Settle();
    EXPECT_FALSE(frame.isVisible());
    EXPECT_TRUE(no.messages.empty()) << no.messages[0].text;
}

// The results shown are those of the record on screen: an edit marks them out
// of date, 结果查询 calculates the record first, a refused calculation leaves
// none; 构件计算 over a set written from other data names the file it would
// replace, once.
TEST(Frame, ResultsBelongToTheRecordOnScreen)
{
    TempWorkPath dir;
    ScopedMessageRecorder answers(IDYES);
    {
        OpenFrame open;
        CDlgKangLi_Slp& frame = open.frame;
        ASSERT_TRUE(frame.Calculate());
        EXPECT_TRUE(frame.status->text().startsWith("已计算"));
        TypeInto(open.pile, 1, 1, "12", true);
        EXPECT_FALSE(frame.ResultsCurrent());
        EXPECT_EQ(frame.status->text(), "数据已修改，计算结果已过时：请重新计算");
        // The results window, read and closed as soon as it shows.
        int rows = -1, tabs = -1;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->windowTitle() == "结果查询") {
                    rows = w->findChild<QTableWidget*>() ? w->findChild<QTableWidget*>()->rowCount() : -2;
                    tabs = w->findChild<QTabWidget*>() ? w->findChild<QTabWidget*>()->count() : -2;
                    w->close();
                }
        });
        closer.start(20);
        frame.ShowResults();
        EXPECT_EQ(rows, 21); // a 12 m pile: 20 steps of 0.6 m and the foot
        EXPECT_EQ(tabs, 3);  // the table, the result diagram, the earth-pressure diagram
        EXPECT_TRUE(frame.ResultsCurrent());
    }
    OpenFrame other; // a new record, where the set on disk is the 12 m pile's
    answers.messages.clear();
    answers.answer = IDNO;
    EXPECT_FALSE(other.frame.Calculate());
    answers.answer = IDYES;
    ASSERT_TRUE(other.frame.Calculate());
    ASSERT_EQ(answers.messages.size(), 2u);
    EXPECT_NE(answers.messages[0].text.find("数据已发生改变，是否继续计算！"), npos);
    EXPECT_NE(answers.messages[0].text.find(dir.path + "/kl.dat"), npos) << answers.messages[0].text;
    other.r.fZhuangJianJu = 3;
    ASSERT_TRUE(other.frame.Calculate());
    EXPECT_EQ(answers.messages.size(), 2u); // this frame's own set: replaced unasked
    other.r.fZhuangJianJu = 0;
    EXPECT_FALSE(other.frame.Calculate());
    EXPECT_TRUE(other.r.ZuiZhongKangLi.empty());
    EXPECT_EQ(other.frame.status->text(), "尚未计算");
    EXPECT_EQ(answers.messages.back().text, "“桩中心距（m）”应在 0.01 到 10000000 之间，输入值为 0");
}

// Every input of the record that applies has a cell, under the field table's
// label, with its unit.
TEST(Frame, EveryInputOfTheRecordHasACell)
{
    OpenFrame open;
    QStringList shown;
    for (EasyTableView* v : {open.pile, open.page.tuceng->waterView, open.page.tuceng->countView})
        for (int row = 0; row < v->rowCount(); ++row)
            shown << (v->item(row, 0) ? v->item(row, 0)->text() : QString());
    for (int col = 0; col < open.layers->columnCount(); ++col)
        shown << open.layers->horizontalHeaderItem(col)->text();
    for (std::span<const FieldDef> fields : {RecordFields(), LayerFields()})
        for (const FieldDef& f : fields) {
            if (!FieldApplies(f, open.r) || !f.label)
                continue;
            EXPECT_TRUE(shown.contains(QString::fromUtf8(f.label))) << f.key;
            // The unit as the label writes it ("kN/m^3" or "kN/m3"; an angle as °).
            const std::string unit = f.unit == std::string("kN/m3") ? "kN/m" : f.unit;
            EXPECT_NE(std::string(f.label).find(unit == "degrees" ? "°" : unit), npos) << f.key;
        }
}

// The sketch beside the tables is the record: each edit moves what it changes,
// every level is labelled by its depth below the pile top, the section's sizes
// are named by what they are; a circle rebuilds the pile table too.
TEST(Frame, TheSketchFollowsEveryEdit)
{
    OpenFrame open; // slope surface 2 m, slip surface 5 m, two layers of 2 m, water 5 m
    const SketchView* sketch = open.page.findChild<SketchView*>();
    ASSERT_NE(sketch, nullptr);
    // What it draws on a layer: "level Y" for a level line at height Y, "at the
    // pile Y" where a line crosses the pile's axis (half of h = 1.5 m), heights
    // in millimetres; and its texts.
    auto drawn = [&](const std::string& layer) {
        std::vector<std::string> all;
        ForEachItem(sketch->Canvas(), [&](const SgtItem& it, const SgtTransform&) {
            auto mm = [](double y) { return std::to_string(std::lround(y * 1000)); };
            const bool line = it.layer == layer && it.kind == SgtItem::Line;
            if (line && it.y1 == it.y2 && it.x1 != it.x2) all.push_back("level " + mm(it.y1));
            if (line && it.x1 < 0.75 && it.x2 > 0.75) all.push_back("at the pile " + mm(it.y1 + (it.y2 - it.y1) * (0.75 - it.x1) / (it.x2 - it.x1)));
            if (it.layer == layer && (it.kind == SgtItem::Text || it.kind == SgtItem::AlignedDim)) all.push_back(it.text);
        });
        return all;
    };
    auto has = [&](const std::string& layer, const std::string& what) { return std::ranges::count(drawn(layer), what) > 0; };
    EXPECT_TRUE(has("SLOPE", "level -2000") && has("LAYERS", "level -4000") && has("WATER", "level -7000"));
    EXPECT_TRUE(has("WATER", "水位 7.000 m") && has("SLIP", "at the pile -5000"));
    EXPECT_TRUE(has("SECTION", "b = 1.000 m") && has("SECTION", "h = 1.500 m"));

    TypeInto(open.pile, 2, 1, "1", true); // the slope surface
    TypeInto(open.pile, 3, 1, "8", true); // the slip surface
    EXPECT_TRUE(has("SLOPE", "level -1000") && !has("SLOPE", "level -2000") && has("SLOPE", "坡面 1.000 m"));
    EXPECT_TRUE(has("SLIP", "at the pile -8000"));
    EXPECT_TRUE(has("LAYERS", "level -3000") && has("WATER", "level -6000")); // come up with the surface

    open.page.tabs->setCurrentIndex(1);
    TypeInto(open.layers, 0, 2, "3.5", true);
    EXPECT_TRUE(has("LAYERS", "level -4500"));
    EXPECT_TRUE(has("LAYERS", "1 土层 3.50 m") && has("LAYERS", "2 土层 2.00 m"));
    qobject_cast<QComboBox*>(open.page.tuceng->waterView->cellWidget(0, 1))->textActivated("否");
    Settle();
    EXPECT_EQ(open.r.bKaoLvShui, 0);
    EXPECT_TRUE(drawn("WATER").empty());

    qobject_cast<QComboBox*>(open.pile->cellWidget(4, 1))->textActivated("圆形");
    Settle();
    EXPECT_EQ(open.r.nJieMianXingZhuang, 0);
    EXPECT_EQ(open.pile->item(5, 0)->text(), "桩径（m）");
    EXPECT_TRUE(has("SECTION", "d = 1.500 m") && !has("SECTION", "b = 1.000 m"));
}

// A comma-decimal locale changes no number: the data file read, the value typed
// and the data file written are those of the C locale.
TEST(InputPage, ACommaLocaleChangesNoNumberReadTypedOrSaved)
{
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    TempDir dir;
    std::string text = ReadText(KANGLI_EXAMPLES_DIR "/defaults.dat");
    OpenFrame open("", Read(KANGLI_EXAMPLES_DIR "/defaults.dat"));
    EXPECT_EQ(open.pile->item(1, 1)->text(), "10.000"); // the pile length
    TypeInto(open.pile, 1, 1, "12.5", true);
    EXPECT_FLOAT_EQ(open.r.fZhuangChang, 12.5f);
    Write(dir.path + "/pile.dat", open.r);
    std::setlocale(LC_ALL, "C");
    // Every other value as read: a misread one would be written otherwise.
    EXPECT_EQ(ReadText(dir.path + "/pile.dat"), text.replace(text.find("10.000000"), 9, "12.500000"));
}

// The dialog program runs to its end and never waits for an answer. Asked to
// calculate and draw itself, it tells a refused record on standard error, not
// in a box; results go into a folder of the record's own, a user's kl.dat
// beside it untouched. Without a display, or with one that cannot be opened,
// it says so in Chinese and ends with status 1, not with Qt's abort.
TEST(DialogProgram, RunsToItsEndWithoutWaitingForAnAnswer)
{
    TempDir dir;
    WriteText(dir.path + "/kl.dat", "a record of the user's\n");
    const std::string shown = "QT_QPA_PLATFORM=offscreen timeout 30", none = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ",
                      pile = ReadText(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json");
    const struct { std::string name, env, record, told; int status; } runs[] = {
        {"pile", shown, pile, "", 0},
        {"zero-spacing", shown, R"({"fZhuangJianJu": 0, "TuCeng": [{}, {}]})", "“桩中心距（m）”应在 0.01 到 10000000 之间，输入值为 0", 0},
        {"no display", none, pile, "kangli-gui: 没有可用的显示器", 1},
        {"a display that cannot be opened", none + "DISPLAY=:4791", pile, "kangli-gui: 无法连接显示器 :4791，", 1},
    };
    for (const auto& run : runs) {
        const std::string rec = dir.path + "/" + run.name + ".json", png = dir.path + "/" + run.name + ".png";
        WriteText(rec, run.record);
        const int raw = std::system((run.env + " '" KANGLI_GUI_EXE "' '" + rec + "' --tab 1 --calculate --screenshot '" + png +
                                     "' >/dev/null 2>'" + dir.path + "/err'").c_str());
        const std::string err = ReadText(dir.path + "/err");
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), run.status) << run.name; // 124: timeout ended it
        EXPECT_NE(err.find(run.told), npos) << err;
        EXPECT_TRUE(err.find("qt.qpa") == npos && err.find("This application failed") == npos) << err;
        EXPECT_EQ(QImage(QString::fromStdString(png)).isNull(), run.status != 0) << run.name;
    }
    EXPECT_EQ(ReadText(dir.path + "/kl.dat"), "a record of the user's\n");
    for (const char* name : {"kl.dat", "kl-jss0.rtf"})
        EXPECT_TRUE(std::filesystem::exists(dir.path + "/pile-计算结果/" + name)) << name;
}

// The whole record typed into the frame as it opens, Tab past the pile page's
// last value leaving its table, Ctrl+S.
TEST(Keyboard, AWholeRecordByKeyboardAlone)
{
    TempWorkPath dir;
    const std::string file = dir.path + "/typed.json";
    OpenFrame open(file, NewRecord(false));
    CDlgKangLi_Slp& frame = open.frame;
    frame.activateWindow();
    open.page.FocusPage();
    Settle();
    auto inPile = [&open] { return QApplication::focusWidget() == open.pile || open.pile->isAncestorOf(QApplication::focusWidget()); };
    ScopedMessageRecorder boxes;
    for (const std::string& keys : WholeRecordKeys()) {
        EXPECT_TRUE(!keys.empty() || !inPile()) << "Tab after the last value stays in the table";
        keys.empty() ? Keys("", Qt::Key_PageDown, Qt::ControlModifier) : Keys(QString::fromStdString(keys), Qt::Key_Tab);
    }
    Keys("", Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(boxes.messages.empty()) << "asked or told: " << boxes.messages[0].text;
    EXPECT_FALSE(frame.Unsaved());
    ExpectWholeRecordIn(file);
}

// What the calculation would refuse, what no cell takes, and what matches no
// choice of a drop-down are refused where typed, the value held as it was and
// the focus kept there; while it stands in its cell 构件计算 says so again
// instead of going on with the old value; the correction replaces it.
TEST(Keyboard, ARefusalKeepsTheFocusInItsCell)
{
    TempWorkPath dir;
    OpenFrame open;
    const struct { EasyTableView* view; int row, col; const char *key, *bad, *told, *good; } cases[] = {
        {open.pile, 0, 1, "fZhuangJianJu", "0", "“桩中心距（m）”应在 0.01 到 10000000 之间，输入值为 0", "3"},
        {open.pile, 0, 1, "fZhuangJianJu", "abc", "桩中心距", "4"},
        {open.layers, 0, 6, "fMoCaJiao", "95", "“第1层 内摩擦角(°)”应在 0 到 90（不含） 之间，输入值为 95", "25"},
        {open.pile, 4, 1, "nJieMianXingZhuang", "1.3", "输入值为 1.3", "0"}, // the section shape's drop-down
    };
    for (const auto& c : cases) {
        const int layer = c.view == open.pile ? -1 : c.row;
        open.page.tabs->setCurrentIndex(c.view == open.pile ? 0 : 1);
        c.view->setCurrentCell(c.row, c.col);
        QWidget* choice = qobject_cast<QComboBox*>(c.view->cellWidget(c.row, c.col));
        (choice ? choice : c.view)->setFocus();
        Settle();
        const double before = Held(layer, c.key, open.r);
        ScopedMessageRecorder boxes;
        Keys(c.bad, Qt::Key_Tab);
        ASSERT_EQ(boxes.messages.size(), 1u) << c.bad;
        EXPECT_NE(boxes.messages[0].text.find(c.told), npos) << boxes.messages[0].text;
        QWidget* focus = QApplication::focusWidget();
        EXPECT_TRUE(c.view->currentRow() == c.row && c.view->currentColumn() == c.col &&
                    (choice ? focus == choice : focus == c.view || c.view->isAncestorOf(focus))) << c.bad;
        EXPECT_EQ(Held(layer, c.key, open.r), before);
        if (!choice) { // a drop-down shows its held choice again; a cell keeps what was typed
            EXPECT_FALSE(open.frame.Calculate());
            EXPECT_NE(boxes.messages.back().text.find(c.told), npos) << boxes.messages.back().text;
        }
        Keys(c.good, Qt::Key_Tab);
        EXPECT_EQ(Held(layer, c.key, open.r), std::stod(c.good));
        EXPECT_FALSE(c.view->currentRow() == c.row && c.view->currentColumn() == c.col) << "Tab moves on";
        EXPECT_EQ(boxes.messages.size(), choice ? 1u : 2u);
    }
    EXPECT_FLOAT_EQ(open.r.fZhuangChang, 10.0f); // the cell after the spacing untouched
}

namespace {

// The row of a label/value table that shows `label`; -1 when none does.
int RowOf(const EasyTableView* view, const char* label)
{
    for (int row = 0; row < view->rowCount(); ++row)
        if (view->item(row, 0) && view->item(row, 0)->text() == QString::fromUtf8(label))
            return row;
    return -1;
}

QString Fixed3(double v) { return QString::number(v, 'f', 3); }

} // namespace

// A design block typed into 抗滑桩设计 with real keys (the cable's lock-off and
// capacity too) follows on screen as typed: the internal forces beside the
// page are recalculated on each value, and after 保存数据 (a data file cannot
// hold the block: the JSON form is offered and taken) `kangli forces --json`
// on the saved record gives the same largest moment, cable force and verdict
// of every check; the record reads back with its block and cable.
TEST(DesignPage, TypedDesignFollowsOnScreenAndMatchesTheCommandLine)
{
    TempWorkPath dir;
    OpenFrame open(dir.path + "/pile.dat", Read(KANGLI_EXAMPLES_DIR "/design/layered-pile-with-anchor.json"));
    CDlgKangLi& page = open.page;
    page.tabs->setCurrentIndex(2);
    Settle();
    ASSERT_TRUE(page.forces->isVisible());
    const struct { const char* key; int cable; const char* typed; } typed[] = {
        {"fTuiLi", -1, "1800"}, {"fQianKangLi", -1, "250"}, {"fYunXuHuaMianWeiYi", -1, "20"},
        {"fYuLi", 0, "1000"}, {"fKangBaLi", 0, "2000"}, // the cable now pulls beyond its capacity
    };
    for (const auto& t : typed) {
        const QString before = page.forces->values->toPlainText();
        if (t.cable < 0) {
            const int row = RowOf(page.sheji->designView, FindDesignField(t.key)->label);
            ASSERT_GE(row, 0) << t.key;
            TypeInto(page.sheji->designView, row, 1, t.typed, true);
        } else {
            const int col = int(FindAnchorField(t.key) - AnchorFields().data()) + 1;
            TypeInto(page.sheji->anchorsView, t.cable, col, t.typed, true);
        }
        EXPECT_NE(page.forces->values->toPlainText(), before) << t.key << ": the forces did not follow";
    }
    ScopedMessageRecorder yes(IDYES);
    Keys("", Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(yes.messages.size(), 1u);
    EXPECT_NE(yes.messages[0].text.find("pile.json"), npos) << yes.messages[0].text;
    const std::string saved = dir.path + "/pile.json";
    const CPelvorinData back = Read(saved);
    ASSERT_EQ(back.bSheJi, 1);
    ASSERT_EQ(back.SheJi.MaoSuo.size(), 1u);
    for (const auto& t : typed)
        EXPECT_FLOAT_EQ(t.cable < 0 ? float(DesignValue(*FindDesignField(t.key), back.SheJi))
                                    : back.SheJi.MaoSuo[0].*FindAnchorField(t.key)->real,
                        std::stof(t.typed)) << t.key;

    const CliRun cli = RunKangli("forces --json '" + saved + "'");
    const QJsonObject f = QJsonDocument::fromJson(QByteArray::fromStdString(cli.out)).object();
    ASSERT_EQ(f["status"].toInt(), 1) << cli.err;
    const QString shown = page.forces->values->toPlainText();
    EXPECT_TRUE(shown.contains("最大弯矩 " + Fixed3(f["max_moment"]["value"].toDouble()) + " kN·m")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("锚索1（桩顶以下 1.50 m）：轴力 " + Fixed3(f["anchors"][0]["force"].toDouble()) + " kN"))
        << shown.toStdString();
    // Each check as the command line judges it, in its order.
    QStringList verdicts, judged;
    for (const QString& line : shown.split('\n'))
        if (line.endsWith("满足"))
            verdicts << (line.endsWith("不满足") ? "不满足" : "满足");
    for (const QJsonValue c : f["checks"].toArray())
        judged << (c["holds"].toBool() ? "满足" : "不满足");
    EXPECT_EQ(verdicts, judged);
    EXPECT_TRUE(judged.contains("满足") && judged.contains("不满足")); // both kinds compared
}

// A design value is refused where typed, naming its cell in Chinese, as every
// cell refuses: outside the field table's range, a thrust of 0, a cable off the
// pile (24 m); what only the forces refuse stops 构件计算, naming page and cell.
// A cable added by the count is typed into after the same Tab. Turning the
// block off asks first, and the layers' ground columns go with it.
TEST(DesignPage, RefusalsNameTheCellAndTheBlockGoesWithItsColumns)
{
    TempWorkPath dir;
    OpenFrame open("", Read(KANGLI_EXAMPLES_DIR "/design/layered-pile-with-anchor.json"));
    open.frame.activateWindow();
    CDlgKangLi& page = open.page;
    page.tabs->setCurrentIndex(2);
    EasyTableView *design = page.sheji->designView, *cables = page.sheji->anchorsView;
    const struct { EasyTableView* view; const char* key; const char* bad; const char* told; } refused[] = {
        {design, "fGangDuXiShu", "2", "“刚度折减系数”应在 0.1 到 1 之间，输入值为 2"},
        {design, "fTuiLi", "0", "“设计推力（kN/m）”应在 0（不含） 到 1000000000 之间，输入值为 0"},
        {cables, "fShenDu", "30", "“第1根 锚索深度（m）”应在 0 到 24 之间，输入值为 30（锚索在桩身上，桩长 24 m）"},
        {cables, "fQingJiao", "90", "“第1根 锚索倾角（°）”应在 0 到 90（不含） 之间，输入值为 90"},
    };
    for (const auto& c : refused) {
        const int row = c.view == design ? RowOf(design, FindDesignField(c.key)->label) : 0;
        const int col = c.view == design ? 1 : int(FindAnchorField(c.key) - AnchorFields().data()) + 1;
        ScopedMessageRecorder boxes;
        TypeInto(c.view, row, col, c.bad, true);
        ASSERT_EQ(boxes.messages.size(), 1u) << c.key;
        EXPECT_EQ(boxes.messages[0].text, c.told);
        EXPECT_FALSE(open.frame.Calculate()) << c.key << ": the refused value stands in its cell";
        Keys("", Qt::Key_Escape);
    }
    ScopedMessageRecorder boxes(IDYES);
    TypeInto(design, RowOf(design, "桩前滑体抗力（kN/m）"), 1, "2000", true);
    EXPECT_FALSE(open.frame.Calculate());
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text,
              "内力计算：“抗滑桩设计”页的“桩前滑体抗力（kN/m）”应小于设计推力 1500 kN/m，现为 2000：桩不承受推力");

    // A second cable by its count, and Tab goes on into the cables' rows.
    boxes.messages.clear();
    const int count = RowOf(design, "锚索根数");
    design->setCurrentCell(count, 1);
    design->setFocus();
    Keys("2", Qt::Key_Tab);
    Keys("3", Qt::Key_Tab);
    ASSERT_EQ(open.r.SheJi.MaoSuo.size(), 2u);
    EXPECT_FLOAT_EQ(open.r.SheJi.MaoSuo[0].fShenDu, 3);
    EXPECT_EQ(cables->rowCount(), 2);
    EXPECT_TRUE(boxes.messages.empty());

    auto titles = [&open] {
        QStringList all;
        for (int col = 0; col < open.layers->columnCount(); ++col)
            all << open.layers->horizontalHeaderItem(col)->text().remove('\n');
        return all;
    };
    EXPECT_TRUE(titles().contains("地基系数K(kN/m3)")) << titles().join(" ").toStdString();
    for (const int answer : {IDNO, IDYES}) {
        boxes.messages.clear();
        boxes.answer = answer;
        design->setCurrentCell(0, 1);
        design->cellWidget(0, 1)->setFocus();
        Keys("0", Qt::Key_Tab); // the switch, as its value: 0 否
        ASSERT_EQ(boxes.messages.size(), 1u);
        EXPECT_NE(boxes.messages[0].text.find("将删除本记录的抗滑桩设计数据"), npos) << boxes.messages[0].text;
        EXPECT_EQ(open.r.bSheJi, answer == IDNO ? 1 : 0);
    }
    EXPECT_EQ(titles().size(), int(std::ranges::count_if(LayerFields(), [](const FieldDef& f) {
                                   return f.label && f.when != FieldWhen::Design; })) + 1);
    EXPECT_FALSE(cables->isVisible());
    EXPECT_EQ(design->rowCount(), 1);
    EXPECT_TRUE(open.r.SheJi.MaoSuo.empty() && open.r.TuCeng[1].fK == 0); // gone, not hidden
}

// A person at a real X display (with a window manager when one is installed),
// keyboard only. The window appears under its Chinese title and Esc leaves it
// open; the whole record typed into kangli-gui and Ctrl+S. Then a host that
// opens the pile's window twice on one model: F5 and Alt+O the first time; the
// second time the spacing is typed over (4 to 3) and Alt+O pressed without
// calculating, the box that says so closed by Enter: the host gets the
// resistance at spacing 3. Every step waits for the window it types into, not
// for a time, so that a slow machine only makes the session longer; keys go at
// a typist's pace, and no key repeats itself however long it is held. In the
// shell: u CONDITION waits up to 30 s for it; f TITLE waits until a window of
// that title other than $W has the keyboard and makes it $W (W= forgets $W: a
// window that comes later may have its id).
const char* const kSession = R"sh(
Xvfb $D -screen 0 1280x720x24 >/dev/null 2>&1 & X=$!; trap 'kill $G $O $X 2>/dev/null' EXIT; export DISPLAY=$D
u() { local end=$((SECONDS + 30)); until eval "$1"; do [ $SECONDS -lt $end ] || return; sleep 0.1; done; }
u 'xdotool getmouselocation' >/dev/null 2>&1; xset r off 2>/dev/null
if command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & O=$!; u 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "#"'; fi
f() { T=$1; u 'N=$(xdotool getwindowfocus) && [ "$N" != "$W" ] && [ "$(xdotool getwindowname $N)" = "$T" ]' 2>/dev/null; W=$N; }
env -u QT_QPA_PLATFORM "$GUI" "$F/pile.json" >/dev/null 2>&1 & G=$!
f 边坡治理构件计算; xdotool getwindowname $W > "$F/name.txt"
xdotool key --delay 100 Escape $KEYS ctrl+s; u '! cmp -s "$F/pile.json" "$F/dry.json"'; kill $G; wait $G 2>/dev/null
env -u QT_QPA_PLATFORM "$HOST" --dialog "$MODEL" "$F/work" --times 2 >"$F/host.txt" 2>/dev/null & G=$! W=
f 边坡治理构件计算; xdotool key --delay 100 F5 alt+o; u 'grep -q "call 1:" "$F/host.txt"'; W=
f 边坡治理构件计算; xdotool key --delay 100 3 alt+o
f 提示; xdotool key Return; u '! kill -0 $G 2>/dev/null'
)sh";

TEST(RealWindow, ARecordAndARepeatedDialogByKeyboardAlone)
{
    if (std::system("command -v Xvfb >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "Xvfb or xdotool not installed";
    TempDir dir;
    Write(dir.path + "/pile.json", NewRecord(false));
    Write(dir.path + "/dry.json", NewRecord(false));
    std::string keys; // by their names, at a typist's pace: a digit is its own name, the point "period"
    for (const std::string& k : WholeRecordKeys()) {
        for (const char c : k)
            keys += c == '.' ? " period" : std::string(" ") + c;
        keys += k.empty() ? " ctrl+Next" : " Tab";
    }
    WriteText(dir.path + "/session.sh", kSession);
    std::system(("timeout 150 env D=:" + std::to_string(80 + ::getpid() % 9) + " F='" + dir.path + "' KEYS='" + keys +
                 "' GUI='" KANGLI_GUI_EXE "' HOST='" KANGLI_HOST_EXE "' MODEL='" KANGLI_EXAMPLES_DIR
                 "/slope/circle-cuts-pile.json' bash '" + dir.path + "/session.sh' >/dev/null 2>&1").c_str());
    EXPECT_EQ(ReadText(dir.path + "/name.txt"), "边坡治理构件计算\n");
    ExpectWholeRecordIn(dir.path + "/pile.json"); // typed after Esc: the window stayed open

    // Spacing 4 in the model, then 3 typed in the second window: the ground's
    // resistance per metre of slope grows as 4/3.
    const std::string host = ReadText(dir.path + "/host.txt");
    const std::string said = "resistance on the slip surface ";
    std::vector<double> got;
    for (size_t at = host.find(said); at != npos; at = host.find(said, at + 1))
        got.push_back(std::stod(host.substr(at + said.size())));
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
