// The dialog run modes as a host calls them through the module: box mode, the
// slope-mode export with -1, and dialog slope mode after Cancel and after a
// calculation. A timer plays the user: it finds the frame, acts, and closes it.
#include "KangLi.h"
#include "Messages.h"
#include "SlopeData.h"
#include "TestFiles.h"
#include "TestSlope.h"
#include "WorkPaths.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QApplication>
#include <QMessageBox>
#include <QDialog>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Runs call while a timer waits for the frame to show, then hands it to act
// (which closes it). Returns what call returned; *seen tells whether the frame
// was shown.
int WithFrame(const std::function<int()>& call, const std::function<void(QDialog*)>& act, bool* seen)
{
    *seen = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* frame = qobject_cast<QDialog*>(w);
                frame && frame->isVisible() && frame->windowTitle() == "边坡治理构件计算") {
                *seen = true;
                act(frame);
            }
    });
    user.start(20);
    return call();
}

void Trigger(QDialog* frame, const QString& text)
{
    for (QToolBar* bar : frame->findChildren<QToolBar*>())
        for (QAction* a : bar->actions())
            if (a->iconText() == text && a->isVisible())
                a->trigger();
}

// The value cell of the slip-surface row in the pile table ("基本", row 4).
QTableWidgetItem* SlipCell(QDialog* frame)
{
    for (QTableWidget* t : frame->findChildren<QTableWidget*>())
        if (t->rowCount() >= 4 && t->item(3, 0) && t->item(3, 0)->text() == "滑面到桩顶距离（m）")
            return t->item(3, 1);
    return nullptr;
}

// The value cell of a row of the pile table ("基本") by its label.
QTableWidgetItem* PileCell(QDialog* frame, const QString& label)
{
    for (QTableWidget* t : frame->findChildren<QTableWidget*>())
        for (int row = 0; row < t->rowCount(); ++row)
            if (t->item(row, 0) && t->item(row, 0)->text() == label)
                return t->item(row, 1);
    return nullptr;
}

// What slope mode hands back for the model's pile at another spacing.
std::vector<float> SlopeModeAt(float spacing)
{
    CSlopeData s = Slope();
    s.KHPiles[0].fJianJu = spacing;
    s.nKangLiWenJian = kKangLiWenJianNone;
    const int surface = g_lCurHMID;
    ScopedMessageRecorder quiet;
    JiSuan_KangLi_Slp(&s, 0);
    g_lCurHMID = surface;
    return s.KHPiles[0].KangLiZhi;
}

// Plays the user at message boxes while it lives: answers each with its
// default-most affirmative button (Yes, else OK) and keeps its text.
struct BoxAnswerer {
    QTimer timer;
    std::vector<std::string> texts;
    explicit BoxAnswerer(bool yes = true)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, yes] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    texts.push_back(box->text().toStdString());
                    QAbstractButton* answer = box->button(yes ? QMessageBox::Yes : QMessageBox::No);
                    (answer ? answer : box->button(QMessageBox::Ok))->click();
                }
        });
        timer.start(10);
    }
};

struct HostState {
    TempWorkPath dir; // the work path while it lives
    HostState()
    {
        g_lCurFAID = 3;
        g_lCurHMID = 2;
    }
};

} // namespace

TEST(DialogModes, BoxModeGivesTheHostItsWorkPathBack)
{
    HostState host;
    bool seen = false;
    const int result = WithFrame(JiSuan_KangLi_Box,
                                 [](QDialog* frame) {
                                     G_strWorkPath = "/somewhere/else/"; // the dialog may change it
                                     frame->reject();
                                 },
                                 &seen);
    EXPECT_TRUE(seen);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(G_strWorkPath, host.dir.path + "/");
    // The program path is the module's own folder.
    ASSERT_FALSE(G_strExePath.empty());
    EXPECT_EQ(G_strExePath.back(), '/');
    const std::string module = KANGLI_MODULE;
    EXPECT_EQ(G_strExePath, module.substr(0, module.rfind('/') + 1));

    CSlopeData s = Slope();
    seen = false;
    EXPECT_EQ(WithFrame([&s] { return JiSuan_KangLi_Slp(&s, -1); }, [](QDialog* f) { f->reject(); }, &seen), 0);
    EXPECT_TRUE(seen); // box mode ran

    // A calculation in box mode goes into a folder of its own: the user's
    // kl.dat in the work path stays as it was.
    WriteText(host.dir.path + "/kl.dat", "the user's record");
    BoxAnswerer boxes;
    seen = false;
    WithFrame(JiSuan_KangLi_Box,
              [acted = false](QDialog* frame) mutable {
                  if (acted)
                      return;
                  acted = true;
                  Trigger(frame, "构件计算");
                  frame->reject();
              },
              &seen);
    EXPECT_TRUE(seen);
    EXPECT_EQ(ReadText(host.dir.path + "/kl.dat"), "the user's record");
    EXPECT_TRUE(if_file_exist((host.dir.path + "/kl-计算结果/kl-jss1.rtf").c_str()));
}

TEST(DialogModes, SlopeModeAfterCancelHandsBackNothingCalculated)
{
    HostState host;
    CSlopeData s = Slope();
    s.fCurKangLi = 123.0f;
    bool seen = false, readOnly = false;
    const int result = WithFrame([&s] { return JiSuan_KangLi_Slp_New(&s); },
                                 [&readOnly](QDialog* frame) {
                                     QTableWidgetItem* slip = SlipCell(frame);
                                     readOnly = slip && !(slip->flags() & Qt::ItemIsEditable);
                                     frame->reject();
                                 },
                                 &seen);
    EXPECT_TRUE(seen);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(readOnly); // the first dialog on a model fixes the slip distance
    EXPECT_EQ(s.bKangLiChuShiHua, 1);
    EXPECT_EQ(s.strKangLiJian, "kl-3-2");
    EXPECT_EQ(s.fCurKangLi, 123.0f);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 0); // the host's list untouched
    EXPECT_EQ(s.CurKHPile.nKangLiDianShu, 0);  // the working pile got the empty results
    EXPECT_EQ(G_strWorkPath, host.dir.path + "/");
}

// 根据模型生成构件计算数据 over an edited spacing asks first: 否 keeps the edit,
// 是 gives the record as the model has it.
TEST(DialogModes, RebuildingFromTheModelAsksBeforeItDropsAnEdit)
{
    HostState host;
    CSlopeData s = Slope();
    s.bKangLiChuShiHua = 1;
    bool seen = false;
    std::string kept, rebuilt;
    std::vector<std::string> asked;
    WithFrame([&s] { return JiSuan_KangLi_Slp_New(&s); },
              [&](QDialog* frame) {
                  QTableWidgetItem* spacing = PileCell(frame, "桩中心距（m）");
                  ASSERT_NE(spacing, nullptr);
                  const std::string model = spacing->text().toStdString();
                  spacing->setText("7");
                  QApplication::processEvents();
                  {
                      BoxAnswerer no(false);
                      Trigger(frame, "根据模型生成构件计算数据");
                      asked = no.texts;
                  }
                  kept = PileCell(frame, "桩中心距（m）")->text().toStdString();
                  {
                      BoxAnswerer yes(true);
                      Trigger(frame, "根据模型生成构件计算数据");
                  }
                  QApplication::processEvents();
                  rebuilt = PileCell(frame, "桩中心距（m）")->text().toStdString();
                  EXPECT_EQ(rebuilt, model);
                  frame->reject();
              },
              &seen);
    ASSERT_TRUE(seen);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("根据模型生成构件计算数据将放弃这些修改"), std::string::npos) << asked[0];
    EXPECT_DOUBLE_EQ(std::stod(kept), 7.0);
    EXPECT_NE(std::stod(rebuilt), 7.0);
}

TEST(DialogModes, SlopeModeAfterACalculationHandsTheResistanceBack)
{
    HostState host;
    CSlopeData s = Slope();
    s.bKangLiChuShiHua = 1; // not the first call: the slip distance stays editable
    bool seen = false, editable = false;
    const int result = WithFrame([&s] { return JiSuan_KangLi_Slp_New(&s); },
                                 [&editable](QDialog* frame) {
                                     QTableWidgetItem* slip = SlipCell(frame);
                                     editable = slip && (slip->flags() & Qt::ItemIsEditable);
                                     Trigger(frame, "构件计算");
                                     frame->accept();
                                 },
                                 &seen);
    EXPECT_TRUE(seen);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(editable);
    ASSERT_EQ(s.CurKHPile.nKangLiDianShu, 21); // 12 m pile, steps of 0.6 m
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 21); // cloned into the host's pile
    EXPECT_GT(s.fCurKangLi, 0.0f);              // the slip-surface resistance recalculated
    EXPECT_FLOAT_EQ(s.fCurKangLi, s.KHPiles[0].fKangLi);
    // The frame's calculation wrote its files under the work path.
    EXPECT_TRUE(if_file_exist((host.dir.path + "/kl-3-2-jss1.rtf").c_str()));
}

TEST(DialogModes, OkHandsOnTheResultsOfTheRecordOnScreenAndCancelNone)
{
    HostState host;
    const std::vector<float> at6 = SlopeModeAt(6), at8 = SlopeModeAt(8);
    ASSERT_EQ(at8.size(), 21u);
    ASSERT_NE(at6, at8);
    BoxAnswerer boxes; // the calculation asks before it replaces its data file

    // Calculated at spacing 6, then the spacing changed to 8, then 确定: the host
    // gets the resistance for 8, calculated anew, and is told so.
    {
        CSlopeData s = Slope();
        s.bKangLiChuShiHua = 1;
        bool seen = false;
        const int result = WithFrame([&s] { return JiSuan_KangLi_Slp_New(&s); },
                                     [acted = false](QDialog* frame) mutable {
                                         if (acted)
                                             return;
                                         acted = true;
                                         Trigger(frame, "构件计算");
                                         if (QTableWidgetItem* spacing = PileCell(frame, "桩中心距（m）"))
                                             spacing->setText("8");
                                         QMetaObject::invokeMethod(frame, [frame] {
                                             for (QAbstractButton* b : frame->findChildren<QAbstractButton*>())
                                                 if (b->text().startsWith("确定") || b->text() == "OK")
                                                     b->click();
                                         });
                                     },
                                     &seen);
        ASSERT_TRUE(seen);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(s.CurKHPile.KangLiZhi, at8);
        EXPECT_EQ(s.KHPiles[0].KangLiZhi, at8);
        bool told = false;
        for (const std::string& text : boxes.texts)
            told = told || text.find("已按当前数据重新计算") != std::string::npos;
        EXPECT_TRUE(told);
    }
    // Calculated, then 取消: nothing reaches the host.
    {
        CSlopeData s = Slope();
        s.bKangLiChuShiHua = 1;
        s.fCurKangLi = 123.0f;
        bool seen = false;
        const int result = WithFrame([&s] { return JiSuan_KangLi_Slp_New(&s); },
                                     [](QDialog* frame) {
                                         Trigger(frame, "构件计算");
                                         frame->reject();
                                     },
                                     &seen);
        ASSERT_TRUE(seen);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(s.CurKHPile.nKangLiDianShu, 0);
        EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 0);
        EXPECT_EQ(s.fCurKangLi, 123.0f);
    }
}

// A host that opens the dialog twice on one model: the second time the spacing
// is changed and 确定 pressed without 构件计算. The host gets the resistance of
// the record on screen, calculated as 确定 is pressed, and the user is told.
TEST(DialogModes, ARepeatedDialogHandsOnTheRecordOnScreenNotTheLastOne)
{
    HostState host;
    const std::vector<float> at8 = SlopeModeAt(8);
    BoxAnswerer boxes;
    CSlopeData s = Slope();
    s.bKangLiChuShiHua = 1;
    auto press = [](QDialog* frame, const char* spacing, bool calculate) {
        if (calculate)
            Trigger(frame, "构件计算");
        if (spacing)
            if (QTableWidgetItem* cell = PileCell(frame, "桩中心距（m）"))
                cell->setText(spacing);
        QMetaObject::invokeMethod(frame, [frame] {
            for (QAbstractButton* b : frame->findChildren<QAbstractButton*>())
                if (b->text().startsWith("确定") || b->text() == "OK")
                    b->click();
        });
    };
    bool seen = false;
    EXPECT_EQ(WithFrame([&s] { return JiSuan_KangLi_Slp_New(&s); },
                        [&press, acted = false](QDialog* frame) mutable {
                            if (!acted)
                                press(frame, nullptr, true);
                            acted = true;
                        },
                        &seen),
              1);
    ASSERT_TRUE(seen);
    const std::vector<float> first = s.KHPiles[0].KangLiZhi;
    ASSERT_FALSE(first.empty());
    ASSERT_NE(first, at8);
    boxes.texts.clear();
    EXPECT_EQ(WithFrame([&s] { return JiSuan_KangLi_Slp_New(&s); },
                        [&press, acted = false](QDialog* frame) mutable {
                            if (!acted)
                                press(frame, "8", false);
                            acted = true;
                        },
                        &seen),
              1);
    EXPECT_EQ(s.KHPiles[0].KangLiZhi, at8);
    EXPECT_EQ(s.CurKHPile.KangLiZhi, at8);
    bool told = false;
    for (const std::string& text : boxes.texts)
        told = told || text.find("已按当前数据计算") != std::string::npos;
    EXPECT_TRUE(told);
}

// 构件计算, an edit the calculation refuses (soil under rock), 确定: the frame
// stays open, and no file set of the record before the edit is left under the
// call's key.
TEST(DialogModes, NoStaleFileSetIsLeftUnderTheCallsKey)
{
    HostState host;
    CSlopeData s = Slope();
    s.bKangLiChuShiHua = 1;
    const std::string book = host.dir.path + "/kl-3-2-jss1.rtf";
    bool seen = false, written = false, stillOpen = false;
    std::unique_ptr<BoxAnswerer> boxes;
    const int result = WithFrame([&s] { return JiSuan_KangLi_Slp_New(&s); },
                                 [&, step = 0](QDialog* frame) mutable {
                                     if (step++ > 0)
                                         return;
                                     {
                                         BoxAnswerer yes;
                                         Trigger(frame, "构件计算");
                                     }
                                     written = if_file_exist(book.c_str());
                                     // The model's soil over rock chosen as rock over soil.
                                     // (found again for each: a choice rebuilds the table)
                                     for (int layer = 0; layer < 2; ++layer) {
                                         int seenTypes = 0;
                                         for (QComboBox* type : frame->findChildren<QComboBox*>())
                                             if (!type->isHidden() && type->count() == 2 && type->itemText(1) == "岩层" &&
                                                 seenTypes++ == layer) {
                                                 emit type->textActivated(type->itemText(1 - layer));
                                                 break;
                                             }
                                         QApplication::processEvents();
                                     }
                                     boxes = std::make_unique<BoxAnswerer>(true);
                                     QMetaObject::invokeMethod(frame, [frame, &stillOpen, &boxes] {
                                         for (QAbstractButton* b : frame->findChildren<QAbstractButton*>())
                                             if (b->text().startsWith("确定") || b->text() == "OK")
                                                 b->click();
                                         stillOpen = frame->isVisible();
                                         boxes = std::make_unique<BoxAnswerer>(true); // yes, discard the edit
                                         frame->reject();
                                     });
                                 },
                                 &seen);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(written);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(if_file_exist(book.c_str()));
}

TEST(DialogModes, SlopeModeAfterTheDialogWritesThroughNothingTheDialogLeftBehind)
{
    // The frame's 构件计算 writes its files; a later slope-mode call in the same
    // host, whose files cannot be written, must tell each failure through what
    // is current then, not through anything of the closed frame.
    HostState host;
    CSlopeData s = Slope();
    s.bKangLiChuShiHua = 1;
    bool seen = false;
    ASSERT_EQ(WithFrame([&s] { return JiSuan_KangLi_Slp_New(&s); },
                        [](QDialog* frame) {
                            Trigger(frame, "构件计算");
                            frame->accept();
                        },
                        &seen),
              1);
    ASSERT_TRUE(seen);
    ASSERT_TRUE(if_file_exist((host.dir.path + "/kl-3-2-jt2.dxf").c_str()));

    G_strWorkPath = host.dir.path + "/no/such/folder/";
    CSlopeData again = Slope();
    ScopedMessageRecorder rec;
    HideJsxx();
    ASSERT_EQ(JiSuan_KangLi_Slp(&again, 0), 1);
    EXPECT_EQ(again.KHPiles[0].nKangLiDianShu, 21);
    std::string told;
    for (const MessageRequest& m : rec.messages)
        told += m.text + "\n";
    EXPECT_NE(told.find("文件未能写出 8 个：" + G_strWorkPath), std::string::npos) << told;
    for (const char* name : {"kl-3-2-5.dat", "kl-3-2-5-jt0.dxf", "kl-3-2-5-jt1.dxf", "kl-3-2-5-jt2.dxf",
                             "kl-3-2-5-jss0.rtf", "kl-3-2-5-jss1.rtf", "kl-3-2-5.res"})
        EXPECT_NE(told.find(name), std::string::npos) << name << "\n" << told;
    HideJsxx();
}

// A write through a frame that has returned must be caught, not land in a dead
// stack frame unnoticed.
extern "C" const char* __asan_default_options() { return "detect_stack_use_after_return=1"; }

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
