// The dialog run modes as a host calls them through the module: box mode (and
// slope mode's -1), and dialog slope mode opened again and again on one model.
// A timer plays the user: it finds the frame, acts, and closes it.
#include "TestSlope.h"

#include <QtWidgets>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

constexpr auto npos = std::string::npos;

// Plays the user while it lives: every 10 ms it hands each window shown to act.
struct User {
    QTimer timer;
    explicit User(const std::function<void(QWidget*)>& act)
    {
        QObject::connect(&timer, &QTimer::timeout, [act] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible())
                    act(w);
        });
        timer.start(10);
    }
};

// Runs call while the user waits for the frame to show, then hands it once to
// act, which closes it. What call returned, or -1 when the frame never showed.
int WithFrame(const std::function<int()>& call, const std::function<void(QDialog*)>& act)
{
    bool seen = false;
    User user([&](QWidget* w) {
        if (auto* frame = qobject_cast<QDialog*>(w); frame && frame->windowTitle() == "边坡治理构件计算" && !std::exchange(seen, true))
            act(frame);
    });
    const int result = call();
    return seen ? result : -1;
}

void Trigger(QDialog* frame, const QString& text)
{
    for (QToolBar* bar : frame->findChildren<QToolBar*>())
        for (QAction* a : bar->actions())
            if (a->iconText() == text && a->isVisible())
                a->trigger();
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

QTableWidgetItem* Spacing(QDialog* frame) { return PileCell(frame, "桩中心距（m）"); }

void ClickOk(QDialog* frame) { frame->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); }

// 确定, pressed once the frame's own event loop runs.
void PressOk(QDialog* frame) { QMetaObject::invokeMethod(frame, [frame] { ClickOk(frame); }); }

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

// Answers each message box while it lives with Yes (or No), else OK, and
// keeps what they said, one a line.
struct BoxAnswerer {
    std::string told;
    User user;
    explicit BoxAnswerer(bool yes = true) : user([this, yes](QWidget* w) { Answer(w, yes); }) {}
    void Answer(QWidget* w, bool yes)
    {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            told += box->text().toStdString() + "\n";
            QAbstractButton* answer = box->button(yes ? QMessageBox::Yes : QMessageBox::No);
            (answer ? answer : box->button(QMessageBox::Ok))->click();
        }
    }
};

} // namespace

TEST(DialogModes, BoxModeGivesTheHostItsWorkPathBack)
{
    SlopeCall host;
    WriteText(host.dir.path + "/kl.dat", "the user's record");
    BoxAnswerer boxes;
    // The dialog may change the work path; a calculation goes into a folder of
    // its own, and the user's kl.dat in the work path stays as it was.
    const auto elsewhere = [](QDialog* f) { G_strWorkPath = "/somewhere/else/"; Trigger(f, "构件计算"); f->reject(); };
    EXPECT_EQ(WithFrame(JiSuan_KangLi_Box, elsewhere), 1);
    EXPECT_EQ(G_strWorkPath, host.dir.path + "/");
    EXPECT_EQ(ReadText(host.dir.path + "/kl.dat"), "the user's record");
    EXPECT_TRUE(host.Wrote("kl-计算结果/kl-jss1.rtf"));
    // The program path is the module's own folder.
    const std::string module = KANGLI_MODULE;
    EXPECT_EQ(G_strExePath, module.substr(0, module.rfind('/') + 1));

    CSlopeData s = Slope();
    EXPECT_EQ(WithFrame([&s] { return JiSuan_KangLi_Slp(&s, -1); }, [](QDialog* f) { f->reject(); }), 0); // box mode ran
}

// One model opened as a host reopens a pile's window. 确定 hands on the
// results of the record on screen, calculated anew as it is pressed when they
// are not current (and the user is told); 取消 hands on none. A calculation
// refused at 确定 keeps the frame open and leaves no file set of the earlier
// record under the call's key. 根据模型生成构件计算数据 over an edit asks first.
TEST(DialogModes, SlopeModeHandsOnTheRecordOnScreenAtOkAndNothingAtCancel)
{
    SlopeCall host;
    const std::vector<float> none, at6 = SlopeModeAt(6), at7 = SlopeModeAt(7), at8 = SlopeModeAt(8);
    ASSERT_EQ(at8.size(), 21u);
    ASSERT_NE(at7, at8);
    bool stayedOpen = false;
    const auto soilUnderRock = [&](QDialog* f) {
        Trigger(f, "构件计算");
        EXPECT_TRUE(host.Wrote("kl-3-2-jss1.rtf"));
        // The model's soil over rock chosen as rock over soil (each found again: a choice rebuilds the table).
        for (int layer = 0; layer < 2; ++layer) {
            int types = 0;
            for (QComboBox* type : f->findChildren<QComboBox*>())
                if (!type->isHidden() && type->count() == 2 && type->itemText(1) == "岩层" && types++ == layer) {
                    emit type->textActivated(type->itemText(1 - layer));
                    break;
                }
            QApplication::processEvents();
        }
        QMetaObject::invokeMethod(f, [f, &stayedOpen] { ClickOk(f); stayedOpen = f->isVisible(); f->reject(); });
    };
    const auto rebuild = [](QDialog* f) {
        Spacing(f)->setText("5");
        QApplication::processEvents();
        for (bool yes : {false, true}) {
            BoxAnswerer answer(yes);
            Trigger(f, "根据模型生成构件计算数据");
            EXPECT_NE(answer.told.find("根据模型生成构件计算数据将放弃这些修改"), npos) << yes;
            EXPECT_DOUBLE_EQ(Spacing(f)->text().toDouble(), yes ? 6.0 : 5.0) << yes; // 否 keeps the edit, 是 gives the model's
        }
        f->reject();
    };
    const struct { const char* what; std::function<void(QDialog*)> act; bool slipEditable; int result;
                   const std::vector<float>& handed; const char* told; } openings[] = {
        // The first dialog on a model fixes the slip distance. (told: what
        // the boxes, all answered 是, said; none where the act answers them.)
        {"the first, 取消", [](QDialog* f) { f->reject(); }, false, 0, none, ""},
        {"spacing 5, rebuilt from the model", rebuild, true, 0, none, nullptr},
        {"构件计算, 确定", [](QDialog* f) { Trigger(f, "构件计算"); f->accept(); }, true, 1, at6, ""},
        {"构件计算, spacing 8, 确定", [](QDialog* f) { Trigger(f, "构件计算"); Spacing(f)->setText("8"); PressOk(f); }, true, 1, at8, "已按当前数据重新计算"},
        {"spacing 7, 确定", [](QDialog* f) { Spacing(f)->setText("7"); PressOk(f); }, true, 1, at7, "已按当前数据计算"},
        {"构件计算, 取消", [](QDialog* f) { Trigger(f, "构件计算"); f->reject(); }, true, 0, at7, ""},
        {"构件计算, soil under rock, 确定 refused, 取消", soilUnderRock, true, 0, at7, ""},
    };
    CSlopeData s = Slope();
    for (const auto& o : openings) {
        SCOPED_TRACE(o.what);
        // 是: the calculation asks before it replaces its data file.
        const auto boxes = o.told ? std::make_unique<BoxAnswerer>(true) : nullptr;
        s.fCurKangLi = 123.0f;
        bool editable = false;
        const auto open = [&](QDialog* f) {
            QTableWidgetItem* slip = PileCell(f, "滑面到桩顶距离（m）");
            editable = slip && (slip->flags() & Qt::ItemIsEditable);
            o.act(f);
        };
        const int result = WithFrame([&s] { return JiSuan_KangLi_Slp_New(&s); }, open);
        ASSERT_EQ(result, o.result); // -1: no frame
        EXPECT_EQ(editable, o.slipEditable);
        EXPECT_EQ(s.KHPiles[0].KangLiZhi, o.handed);
        EXPECT_TRUE(!boxes || boxes->told.find(o.told) != npos) << boxes->told;
        EXPECT_TRUE(result != 1 || s.CurKHPile.KangLiZhi == o.handed); // the working pile too
        // The slip-surface resistance recalculated, or left as it was.
        EXPECT_FLOAT_EQ(s.fCurKangLi, result == 1 ? s.KHPiles[0].fKangLi : 123.0f);
        EXPECT_GT(s.fCurKangLi, 0.0f);
    }
    EXPECT_EQ(s.strKangLiJian, "kl-3-2");
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(host.Wrote("kl-3-2-jss1.rtf"));
    EXPECT_EQ(G_strWorkPath, host.dir.path + "/");

    // Slope mode later in the same host, its files unwritable, tells each
    // failure through what is current then, nothing of the closed frame.
    G_strWorkPath = host.dir.path + "/no/such/folder/";
    CSlopeData again = Slope();
    ScopedMessageRecorder rec;
    ASSERT_EQ(JiSuan_KangLi_Slp(&again, 0), 1);
    EXPECT_NE(ToldTexts(rec).find("文件未能写出 8 个：" + G_strWorkPath), npos) << ToldTexts(rec);
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
