// The calculation frame "边坡治理构件计算": the toolbar of commands above the
// main input page. Box mode and dialog slope mode run it modally; kangli-gui
// runs it as a window.
//
// Commands (toolbar "构件计算工具栏", in this order):
//   根据模型生成构件计算数据  rebuild the record from the slope model (dialog
//                            slope mode only)
//   构件计算                  check and calculate; on success the data file, the
//                            three diagrams and both books are written under
//                            the work path
//   结果查询                  the resistance per point, the result diagram and the
//                            earth-pressure diagram; opens the books
//   保存数据                  save the record (data file or JSON)
//   帮助                      what the commands do
// and, not on the toolbar, 导出，即数据另存 and 导入，即读入数据 in the 数据 menu.
//
// Every command first takes what is typed into an open cell editor. Results
// belong to the record as it was calculated: after an edit they are stale and
// 结果查询 calculates again; a refused calculation clears them.
#pragma once

#include "DlgKangLi.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QTableWidget;
class QToolBar;
class CPelvorinData;
class CKangLiJiSuan;
class CKangLiResult;

struct KangLiContext;
struct MessageRequest;
// Messages of the calculation as message boxes on screen, in Chinese.
int QtMessageBoxSink(const MessageRequest& request);

class CDlgKangLi_Slp : public QDialog {
    Q_OBJECT
public:
    // The page is made here on the record, calculation and result record given;
    // the frame reaches them only through the page, and works in the
    // calculation's context (work path, who is told). path: where 保存数据
    // writes (empty: ask for a name).
    CDlgKangLi_Slp(CPelvorinData* data, CKangLiJiSuan* calc, CKangLiResult* result, QString path,
                   QWidget* parent = nullptr);

    // Dialog slope mode: the command that rebuilds the record from the model.
    // Returns false when the model could not be converted.
    void SetBuildFromModel(std::function<bool()> build);

    // The commands.
    // asked: the user's 构件计算, which asks before it replaces results of other
    // data; false when a query or 确定 calculates what is on screen.
    bool Calculate(bool asked = true);
    void ShowResults();
    bool Save();
    bool SaveAs();
    bool Import();
    // Import's reading of the chosen file: the record becomes what the file
    // holds, read as every other surface reads it (LoadRecordFile); the
    // window's own state (whether the slip distance may be edited) stays.
    bool ImportFile(const QString& path);
    void Help();
    void BuildFromModel();

    // True when the record's results belong to the record as it is now.
    bool ResultsCurrent() const;
    // The record as it is now counts as saved (as loaded from a file, or as a
    // host handed it over): later edits are unsaved until 保存数据.
    void MarkSaved();
    // True when the record holds edits that were not saved.
    bool Unsaved() const;
    // When set (the program of its own, not a host's frame), 确定 closes the
    // window like its close button and asks before it throws edits away.
    bool bDuLiChengXu = false;
    void FillResults(QTableWidget* table) const;

    CDlgKangLi* pPage = nullptr;
    // The work path the frame writes under: its calculation's, as the frame
    // was made; the calculation works under it.
    std::string strWorkPath;
    QToolBar* toolBar = nullptr;
    QLabel* status = nullptr;

    // 取消 and the window's close button (QDialog's close goes through it):
    // after the question, when there are unsaved edits.
    void reject() override;

protected:
    // Esc inside the page neither closes nor hides the frame: it would throw
    // away what was entered. The window's close button and 取消 do.
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The frame tells its user where its calculation does: its context's sink.
    const KangLiContext& Context() const;
    void UpdateStatus();
    void ClearResults();
    bool WriteOutputs(std::string* error);
    std::string Snapshot() const;
    QString path_;
    QString confirmed_; // the file the user agreed to replace
    std::string calculated_; // the record as calculated; empty: no results
    std::vector<std::string> written_; // the files of the last calculation
    std::string saved_;      // the record as last loaded or saved
    bool MayDiscardEdits(const char* what);
    std::function<bool()> build_;
    QAction* buildAction_ = nullptr;
};
