#include "DlgKangLi_Slp.h"

#include "CalculationFiles.h"
#include "FieldTable.h"
#include "FileDialogs.h"
#include "ForcesPanel.h"
#include "NumericLocale.h"

#include "CanvasWriters.h"
#include "KangLiJiSuan.h"
#include "KangLiResult.h"
#include "Messages.h"
#include "ResultColumns.h"
#include "PelvorinData.h"
#include "RecordCheck.h"
#include "RecordJson.h"
#include "RecordFile.h"
#include "Rtf.h"
#include "SketchView.h"
#include "WorkPaths.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QUrl>
#include <QScreen>
#include <QGuiApplication>
#include <QToolButton>
#include <QVBoxLayout>

#include <QCloseEvent>

#include <algorithm>
#include <filesystem>

namespace {

const char kFilter[] = "数据文件 (*.dat);;JSON 文件 (*.json)";

// A name chosen without an extension gets the one of the chosen kind.
QString WithExtension(QString path, const QString& filter)
{
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    return path + (filter.contains("json") ? ".json" : ".dat");
}

} // namespace

namespace {

// The inputs a data file does not hold, that the calculation uses, with the
// values the record now has: "被动土压力折减系数 0.3；第1层 水下粘聚力(kPa) 10 ...".
std::string NotInDataFile(const CPelvorinData& r)
{
    auto number = [](double v) { return MessageNumber(v); };
    std::string out;
    auto add = [&out](const std::string& part) { out += (out.empty() ? "" : "；") + part; };
    for (const FieldDef& f : RecordFields())
        if (f.fileLine == 0 && FieldApplies(f, r))
            add(FieldLabelText(f) + " " + number(FieldValue(f, r)));
    for (size_t i = 0; i < r.TuCeng.size(); ++i) {
        std::string layer;
        for (const FieldDef& f : LayerFields())
            if (f.fileLine == 0 && FieldApplies(f, r, &r.TuCeng[i])) {
                std::string label = FieldLabelText(f);
                label.erase(std::remove(label.begin(), label.end(), '\n'), label.end());
                layer += (layer.empty() ? "" : "、") + label + " " + number(FieldValue(f, r.TuCeng[i]));
            }
        if (!layer.empty())
            add("第" + std::to_string(i + 1) + "层 " + layer);
    }
    return out;
}

} // namespace

int QtMessageBoxSink(const MessageRequest& req)
{
    const QString text = QString::fromStdString(req.text);
    const QString caption = QString::fromStdString(req.caption.empty() ? "提示" : req.caption);
    QWidget* parent = QApplication::activeWindow();
    if (req.kind == MessageRequest::Box && (req.buttons & 0xF) == MB_YESNO)
        return QMessageBox::question(parent, caption, text) == QMessageBox::Yes ? IDYES : IDNO;
    QMessageBox::information(parent, caption, text);
    return IDOK;
}

CDlgKangLi_Slp::CDlgKangLi_Slp(CPelvorinData* data, CKangLiJiSuan* calc, CKangLiResult* result,
                               QString path, QWidget* parent)
    : QDialog(parent), strWorkPath(calc ? calc->context.workPath : std::string()), path_(std::move(path))
{
    setWindowTitle("边坡治理构件计算");
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Every command from the keyboard: access keys in the menus, shortcuts,
    // and toolbar buttons that Tab reaches and Enter presses.
    auto command = [this](const char* text, const char* buttonText, QKeySequence key, std::function<void()> run) {
        auto* action = new QAction(QString::fromUtf8(text), this);
        action->setIconText(QString::fromUtf8(buttonText));
        if (!key.isEmpty()) {
            action->setShortcut(key);
            action->setToolTip(QString::fromUtf8(buttonText) + "（" + key.toString(QKeySequence::NativeText) + "）");
        }
        connect(action, &QAction::triggered, this, std::move(run));
        return action;
    };
    buildAction_ = command("根据模型生成构件计算数据(&M)", "根据模型生成构件计算数据", {}, [this] { BuildFromModel(); });
    QAction* calculate = command("构件计算(&J)", "构件计算", QKeySequence(Qt::Key_F5), [this] { Calculate(); });
    QAction* query = command("结果查询(&R)", "结果查询", QKeySequence(Qt::CTRL | Qt::Key_R), [this] { ShowResults(); });
    QAction* save = command("保存数据(&S)", "保存数据", QKeySequence(Qt::CTRL | Qt::Key_S), [this] { Save(); });
    QAction* help = command("帮助(&H)", "帮助", QKeySequence(Qt::Key_F1), [this] { Help(); });
    QAction* saveAs = command("导出，即数据另存(&E)", "导出", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { SaveAs(); });
    QAction* import = command("导入，即读入数据(&I)", "导入", QKeySequence(Qt::CTRL | Qt::Key_O), [this] { Import(); });

    auto* menus = new QMenuBar(this);
    QMenu* dataMenu = menus->addMenu("数据(&D)");
    dataMenu->addAction(save);
    dataMenu->addAction(saveAs);
    dataMenu->addAction(import);
    QMenu* calcMenu = menus->addMenu("计算(&C)");
    calcMenu->addAction(buildAction_);
    calcMenu->addAction(calculate);
    calcMenu->addAction(query);
    menus->addMenu("帮助(&H)")->addAction(help);
    layout->setMenuBar(menus);

    toolBar = new QToolBar("构件计算工具栏", this);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction* a : {buildAction_, calculate, query, save, help}) {
        toolBar->addAction(a);
        if (QWidget* button = toolBar->widgetForAction(a)) {
            button->setFocusPolicy(Qt::TabFocus);
            button->installEventFilter(this);
        }
    }
    buildAction_->setVisible(false); // dialog slope mode only
    layout->addWidget(toolBar);

    if (calc) {
        calc->pData = data;
        calc->pResult = result;
    }
    pPage = new CDlgKangLi(data, calc, result, this);
    layout->addWidget(pPage, 1);
    status = new QLabel(this);
    status->setContentsMargins(8, 3, 8, 3);
    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 8, 6);
    bottom->addWidget(status, 1);
    // What the host's frame gives back: 确定 (1) or 取消 (0).
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // Enter in a cell never closes the frame (the frame takes Enter itself); on
    // a focused button Enter presses it.
    buttons->button(QDialogButtonBox::Ok)->setText("确定(&O)");
    buttons->button(QDialogButtonBox::Cancel)->setText("取消(&Q)");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!pPage->CommitEdits())
            return; // a refused value stops 确定: it is shown in its cell
        // 确定 hands on the results of the record as it is on screen: results
        // of an earlier state of it are calculated again first, and a record
        // the calculation refuses keeps the frame open.
        if (!ResultsCurrent()) {
            const bool before = !calculated_.empty();
            if (!Calculate(false))
                return;
            Context().Tell(201, before ? "数据在计算后已修改，已按当前数据重新计算" : "尚未计算，已按当前数据计算");
        }
        if (bDuLiChengXu && !MayDiscardEdits("关闭"))
            return;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
    connect(pPage, &CDlgKangLi::Edited, this, &CDlgKangLi_Slp::UpdateStatus);
    // On a small screen the frame fits it (the tables scroll) rather than
    // putting 确定 and the status line below its edge.
    QSize size(1100, 720);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        // Room for the window manager's title bar and border.
        size = size.boundedTo(QSize(room.width() - 16, room.height() - 48));
    }
    resize(size);
    // The file the frame was opened on is the user's own: saving back to it
    // needs no question.
    if (!path_.isEmpty() && QFileInfo::exists(path_))
        confirmed_ = path_;
    MarkSaved();
    UpdateStatus();
    pPage->FocusPage(); // the window opens ready for the first value
}

void CDlgKangLi_Slp::MarkSaved() { saved_ = Snapshot(); }

const KangLiContext& CDlgKangLi_Slp::Context() const { return pPage->GetJiSuan()->context; }

bool CDlgKangLi_Slp::Unsaved() const { return Snapshot() != saved_; }

bool CDlgKangLi_Slp::MayDiscardEdits(const char* what)
{
    pPage->CommitEdits();
    if (!Unsaved())
        return true;
    const std::string question = std::string("数据已修改，尚未保存。") + what + "将放弃这些修改，是否继续？";
    return Context().Ask(question, MB_YESNO) == IDYES;
}

void CDlgKangLi_Slp::reject()
{
    if (!MayDiscardEdits(bDuLiChengXu ? "关闭" : "取消"))
        return;
    QDialog::reject();
}

void CDlgKangLi_Slp::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool CDlgKangLi_Slp::eventFilter(QObject* watched, QEvent* e)
{
    // Enter on a focused toolbar button presses it, as on any button.
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (auto* button = qobject_cast<QAbstractButton*>(watched);
            button && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            button->animateClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void CDlgKangLi_Slp::SetBuildFromModel(std::function<bool()> build)
{
    build_ = std::move(build);
    buildAction_->setVisible(static_cast<bool>(build_));
}

std::string CDlgKangLi_Slp::Snapshot() const
{
    // Every input of the record, the ones a data file leaves out included.
    return RecordToJson(*pPage->GetJsData());
}

bool CDlgKangLi_Slp::ResultsCurrent() const
{
    return !calculated_.empty() && calculated_ == Snapshot();
}

void CDlgKangLi_Slp::UpdateStatus()
{
    if (calculated_.empty())
        status->setText("尚未计算");
    else if (ResultsCurrent())
        status->setText(QString("已计算，计算书和图形在 %1").arg(QString::fromStdString(strWorkPath)));
    else
        status->setText("数据已修改，计算结果已过时：请重新计算");
}

void CDlgKangLi_Slp::ClearResults()
{
    CPelvorinData& r = *pPage->GetJsData();
    r.pDianZuoBiao->clear();
    r.TuKangLi.clear();
    r.ZhuangKangLi.clear();
    r.ZuiZhongKangLi.clear();
    calculated_.clear();
    // The files written for an earlier state of the record describe a record
    // no longer on screen: none is left under its name.
    for (const std::string& file : written_) {
        std::error_code gone;
        std::filesystem::remove(file, gone);
    }
    written_.clear();
}

bool CDlgKangLi_Slp::WriteOutputs(std::string* error)
{
    // What slope mode leaves in the work directory: the data file, the three
    // diagrams and the books.
    // The frame's own results folder may not exist yet.
    std::error_code made;
    std::filesystem::create_directories(strWorkPath, made);
    CalculationFiles where;
    where.folder = strWorkPath;
    where.drawingWriter = WriteCanvas;
    where.staged = true; // a failure leaves the earlier set whole, never mixed
    const CalculationFilesWritten files =
        WriteCalculationFiles(*pPage->GetJsData(), *pPage->GetJiSuan(), where);
    written_ = files.written;
    if (files.Complete())
        return true;
    *error = files.failed.front().path + ": " + files.failed.front().why;
    return false;
}

bool CDlgKangLi_Slp::Calculate(bool asked)
{
    if (!pPage->CommitEdits())
        return false; // a refused value stops the command that would use it
    CPelvorinData& r = *pPage->GetJsData();
    std::string problem, chinese;
    if (!CheckKangLiData(r, &problem, &chinese)) {
        ClearResults();
        UpdateStatus();
        // Through the message service, so that an unattended run answers it.
        Context().Ask(chinese);
        return false;
    }
    // A design block the internal forces refuse stops it too, as it stops
    // kangli report: no book is written where the forces belong.
    if (const std::string refused = DesignRefusal(r); !refused.empty()) {
        ClearResults();
        UpdateStatus();
        Context().Ask(refused);
        return false;
    }
    // Calculating is no edit: the calculation writes what it derives into the
    // record (rock layers' underwater values, the diagrams' names), and a record
    // saved before it is still saved after it.
    const bool wasSaved = !Unsaved();
    CKangLiJiSuan& calc = *pPage->GetJiSuan();
    calc.context.workPath = strWorkPath;
    // The results folder is the frame's own: a set this frame wrote is replaced
    // without a word, and querying or handing on replaces stale results of the
    // record with current ones. Only 构件计算 over a set of other data, left
    // from an earlier session, asks, naming the file.
    if (asked) {
        const std::string stored = calc.StoredDataDiffers();
        if (!stored.empty() && std::find(written_.begin(), written_.end(), stored) == written_.end()) {
            const std::string question = "数据已发生改变，是否继续计算！\n将替换“" + stored + "”及同组的计算书和图形。";
            if (Context().Ask(question, MB_YESNO) != IDYES)
                return false;
        }
    }
    if (calc.JiSuan() != 1) {
        ClearResults();
        UpdateStatus();
        return false;
    }
    std::string error;
    if (!WriteOutputs(&error))
        Context().Ask("计算结果文件未能写出：" + error);
    pPage->RefreshPage();
    // Taken last: the calculation and the drawings name the record's diagrams.
    calculated_ = Snapshot();
    if (wasSaved)
        MarkSaved();
    UpdateStatus();
    return true;
}

void CDlgKangLi_Slp::FillResults(QTableWidget* table) const
{
    const CPelvorinData& r = *pPage->GetJsData();
    const std::vector<float>& z = *r.pDianZuoBiao;
    const size_t n = std::min({z.size(), r.TuKangLi.size(), r.ZhuangKangLi.size(), r.ZuiZhongKangLi.size()});
    table->setColumnCount(static_cast<int>(kResultColumns.size()));
    table->setRowCount(static_cast<int>(n));
    QStringList titles;
    for (const ResultColumn& c : kResultColumns)
        titles << QString::fromStdString(ResultColumnTitle(c));
    table->setHorizontalHeaderLabels(titles);
    table->verticalHeader()->setVisible(false);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (size_t i = 0; i < n; ++i) {
        for (int c = 0; c < static_cast<int>(kResultColumns.size()); ++c) {
            auto* item = new QTableWidgetItem(QString::number(ResultValue(r, c, i), 'f', kResultColumns[c].decimals));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            table->setItem(static_cast<int>(i), c, item);
        }
    }
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

void CDlgKangLi_Slp::ShowResults()
{
    if (!pPage->CommitEdits())
        return;
    // Results of another record are never shown: calculate what is on screen.
    if (!ResultsCurrent() && !Calculate(false))
        return;
    CPelvorinData& r = *pPage->GetJsData();
    CKangLiJiSuan& calc = *pPage->GetJiSuan();
    QDialog dialog(this);
    dialog.setWindowTitle("结果查询");
    auto* tabs = new QTabWidget(&dialog);
    auto* table = new QTableWidget(tabs);
    FillResults(table);
    tabs->addTab(table, "计算结果");
    // The diagrams from the same canvas model as the files.
    const char* names[2] = {"计算结果图", "土压力结果图"};
    for (int n = 1; n <= 2; ++n) {
        CBase_SGT canvas;
        calc.DrawTu(n, &canvas, nullptr);
        auto* view = new SketchView(tabs);
        view->SetCanvas(canvas);
        tabs->addTab(view, names[n - 1]);
    }
    // The pile under its design thrust, from the record on screen.
    if (r.bSheJi) {
        auto* forces = new ForcesPanel(Qt::Horizontal, tabs);
        forces->Show(r);
        tabs->addTab(forces, "内力计算结果");
    }
    auto* buttons = new QDialogButtonBox(&dialog);
    const std::string books[3] = {strWorkPath + r.GetJssFileName(0), strWorkPath + r.GetJssFileName(1),
                                  ForcesBookPath(r, strWorkPath)};
    const char* bookNames[3] = {"打开详细计算书", "打开简明计算书", "打开内力计算书"};
    for (int i = 0; i < (r.bSheJi ? 3 : 2); ++i) {
        QPushButton* open = buttons->addButton(bookNames[i], QDialogButtonBox::ActionRole);
        const QString file = QFileInfo(QString::fromStdString(books[i])).absoluteFilePath();
        open->setEnabled(QFileInfo::exists(file));
        connect(open, &QPushButton::clicked, &dialog, [this, file] {
            if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
                Context().Ask("没有能打开计算书的程序：" + file.toStdString());
        });
    }
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(tabs, 1);
    layout->addWidget(buttons);
    dialog.resize(760, 640);
    dialog.exec();
}

bool CDlgKangLi_Slp::Save()
{
    if (!pPage->CommitEdits())
        return false;
    if (path_.isEmpty())
        return SaveAs();
    // A file that this frame has not written yet is replaced only when the user
    // says so (the file dialog of 导出 asks on its own).
    if (path_ != confirmed_ && QFileInfo::exists(path_)) {
        const std::string question = "文件“" + path_.toStdString() + "”已存在，是否覆盖？";
        if (Context().Ask(question, MB_YESNO) != IDYES)
            return false;
    }
    std::string error, lost;
    if (!SaveRecordFile(path_.toStdString(), *pPage->GetJsData(), &error, &lost)) {
        if (lost.empty()) {
            Context().Ask("数据未能保存：" + path_.toStdString() + "：" + error);
            return false;
        }
        // The data file cannot hold this record: never saved with a value lost;
        // the JSON form beside it is offered instead.
        const QFileInfo info(path_);
        const QString json = info.dir().filePath(info.completeBaseName() + ".json");
        const std::string question = "数据文件“" + path_.toStdString() + "”不能完整保存本记录：" + lost +
                                     "。\n是否改存为 JSON 文件“" + json.toStdString() + "”？";
        if (Context().Ask(question, MB_YESNO) != IDYES)
            return false;
        path_ = json;
        return Save();
    }
    confirmed_ = path_;
    MarkSaved();
    UpdateStatus();
    status->setText(status->text() + "；数据已保存到 " + path_);
    return true;
}

bool CDlgKangLi_Slp::SaveAs()
{
    if (!pPage->CommitEdits())
        return false;
    QString filter;
    // The file dialog asks before it replaces an existing file.
    QString chosen = ChooseFile(this, "数据另存", path_, kFilter, true, &filter);
    if (chosen.isEmpty())
        return false;
    chosen = WithExtension(chosen, filter);
    const QString previous = path_;
    path_ = chosen;
    confirmed_ = chosen;
    if (!Save()) {
        path_ = previous;
        return false;
    }
    return true;
}

bool CDlgKangLi_Slp::Import()
{
    if (!MayDiscardEdits("导入"))
        return false;
    const QString chosen = ChooseFile(this, "读入数据", path_, kFilter, false);
    if (chosen.isEmpty())
        return false;
    return ImportFile(chosen);
}

bool CDlgKangLi_Slp::ImportFile(const QString& chosen)
{
    pPage->CommitEdits();
    CPelvorinData& r = *pPage->GetJsData();
    const int slipEditable = r.bHuaMianKeBian;
    std::string error;
    if (!LoadRecordFile(chosen.toStdString(), r, &error)) {
        Context().Ask("数据未能读入：" + chosen.toStdString() + "：" + error);
        return false;
    }
    r.bHuaMianKeBian = slipEditable;
    path_ = chosen;
    confirmed_ = chosen;
    ClearResults();
    pPage->RefreshPage();
    MarkSaved();
    UpdateStatus();
    // A data file holds no reduction factor and no under-water values: say
    // what they now are, so that nobody calculates on a value they never saw.
    if (!IsJsonPath(chosen.toStdString())) {
        const std::string notice = NotInDataFile(r);
        if (!notice.empty())
            Context().Ask("数据文件不含以下数值，已取新记录的默认值：" + notice);
    }
    return true;
}

void CDlgKangLi_Slp::BuildFromModel()
{
    if (!build_ || !MayDiscardEdits("根据模型生成构件计算数据"))
        return;
    if (build_())
        ClearResults();
    pPage->RefreshPage();
    MarkSaved(); // the record as the model gives it
    UpdateStatus();
}

void CDlgKangLi_Slp::Help()
{
    Context().Ask("抗滑桩抗力计算\n\n"
                  "左侧为计算简图，右侧“基本”页填写桩的信息，“土层信息”页填写地下水、土层数和各土层参数。"
                  "长度单位为 m（钢筋合力点到边缘距离为 mm），重度 kN\u2060/\u2060m3，粘聚力 kPa，角度为度。\n\n"
                  "构件计算：检查数据并计算各计算点的土抗力、桩抗力和最终抗力，"
                  "同时在工作目录写出数据文件、计算简图、结果图、土压力图和两本计算书。\n"
                  "“抗滑桩设计”页填写滑坡推力、地基系数、验算容许值和锚索，左侧随输入显示桩的内力图和验算结果。\n"
                  "结果查询：查看各点抗力、结果图和土压力图，有设计数据时还有内力计算结果，并可打开计算书；"
                  "数据修改后将重新计算。\n"
                  "保存数据：保存为数据文件（.dat）或 JSON 文件（.json）。\n"
                  "数据菜单：导出（另存）和导入（读入）数据。\n\n"
                  "键盘：Tab 和 Shift+Tab 在数值间移动，表格的最后一格之后到下一个控件；"
                  "Ctrl+Tab 或 Ctrl+PgDn 换页；F5 构件计算，Ctrl+R 结果查询，Ctrl+S 保存数据，"
                  "Ctrl+Shift+S 导出，Ctrl+O 导入，F1 帮助；Alt 加菜单和按钮上带下划线的字母。",
                  MB_OK, "帮助");
}
