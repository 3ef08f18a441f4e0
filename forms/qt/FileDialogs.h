// The file dialogs of the window: Qt's own dialog, every column in Chinese and
// wide enough to read. Sizes and dates are written the same way under any
// locale the user has (a system locale of "C" would give "2 KiB", "bytes" and
// English months).
#pragma once

#include <QString>

class QFileDialog;
class QWidget;

// A dialog to open (save false) or save a file, not yet shown; the caller owns it.
QFileDialog* NewFileDialog(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                           bool save);

// Shows such a dialog and waits: the file chosen, or empty. chosenFilter, when
// given, receives the filter the user chose. Saving asks before a file is replaced.
QString ChooseFile(QWidget* parent, const QString& title, const QString& start, const QString& filter, bool save,
                   QString* chosenFilter = nullptr);

// A size as the dialog shows it: "512 字节", "2.0 KB", "3.4 MB".
QString FileSizeText(long long bytes);
