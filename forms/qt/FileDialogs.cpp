#include "FileDialogs.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QTreeView>

namespace {

enum Column { Name, Size, Type, Date };

// The columns of the file list as a Chinese reader expects them; names, icons
// and sorting stay the file system model's.
class ChineseColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() == Name)
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        switch (index.column()) {
        case Size:
            return info.isDir() ? QString() : FileSizeText(info.size());
        case Type:
            if (info.isDir())
                return QString("文件夹");
            if (info.suffix().compare("dat", Qt::CaseInsensitive) == 0)
                return QString("数据文件");
            if (info.suffix().compare("json", Qt::CaseInsensitive) == 0)
                return QString("JSON 文件");
            return info.suffix().isEmpty() ? QString("文件") : info.suffix().toUpper() + " 文件";
        case Date:
            return info.lastModified().toString("yyyy-MM-dd HH:mm");
        }
        return QIdentityProxyModel::data(index, role);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char* const titles[] = {"名称", "大小", "类型", "修改日期"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
            return QString(titles[section]);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
};

} // namespace

QString FileSizeText(long long bytes)
{
    if (bytes < 1024)
        return QString::number(bytes) + " 字节";
    const char* const units[] = {"KB", "MB", "GB", "TB"};
    double v = static_cast<double>(bytes);
    int u = -1;
    while (v >= 1024 && u < 3) {
        v /= 1024;
        ++u;
    }
    return QString::number(v, 'f', 1) + " " + units[u];
}

QFileDialog* NewFileDialog(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                           bool save)
{
    auto* dialog = new QFileDialog(parent, title, start, filter);
    // Qt's own dialog, so that its columns are ours to write.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setViewMode(QFileDialog::Detail);
    dialog->setProxyModel(new ChineseColumns(dialog));
    dialog->resize(860, 520);
    // Each column as wide as what it shows, once a folder is read.
    if (auto* files = dialog->findChild<QFileSystemModel*>()) {
        QObject::connect(files, &QFileSystemModel::directoryLoaded, dialog, [dialog] {
            if (auto* list = dialog->findChild<QTreeView*>("treeView"))
                for (int c = 0; c < list->header()->count(); ++c)
                    list->resizeColumnToContents(c);
        });
    }
    return dialog;
}

QString ChooseFile(QWidget* parent, const QString& title, const QString& start, const QString& filter, bool save,
                   QString* chosenFilter)
{
    QFileDialog* dialog = NewFileDialog(parent, title, start, filter, save);
    QString chosen;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
        chosen = dialog->selectedFiles().front();
        if (chosenFilter)
            *chosenFilter = dialog->selectedNameFilter();
    }
    delete dialog;
    return chosen;
}
