#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "toolkit/controls/controls.h"
#include "toolkit/controls/file_filters.h"
#include "toolkit/controls/requester_answers.h"
#include "toolkit/windows/toolkit_start.h"
#include "toolkit/windows/window_qt.h"

namespace toolkit {
namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Qt's own requester in any-file mode takes a typed name whether or not the
// file exists; its folder, though, has to exist.
class OpenFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList chosen = selectedFiles();
        if (!chosen.isEmpty()) {
            QFileInfo file(chosen.first());
            if (!file.isDir() && !file.absoluteDir().exists()) {
                QMessageBox::warning(this, windowTitle(),
                                     tr("%1\nFolder not found.\nPlease verify the correct path was given.")
                                         .arg(QDir::toNativeSeparators(file.absolutePath())));
                return;
            }
        }
        QFileDialog::accept();
    }
};

}  // namespace

std::string AskFileToOpen(const std::string& title, const std::string& defaultFile, const std::string& patternList,
                          int patternIndex) {
    if (HasRequesterAnswerer())
        return AskRequesterAnswerer({RequesterKind::OpenFile, title, defaultFile, patternList, patternIndex, 0}).path;
    if (!ToolkitStarted())
        return {};

    QStringList filters;
    for (const std::string& filter : FileFiltersOf(patternList))
        filters << FromUtf8(filter);
    DefaultFile start = SplitDefaultFile(defaultFile);

    ModalRequesterScope scope;
    OpenFileDialog dialog(scope.owner(), FromUtf8(title));
    // Qt's own dialog on every desktop: it shows the labels exactly as given
    // and behaves the same everywhere.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    QString folder = QFile::decodeName(start.folder.c_str());
    if (!folder.isEmpty() && QDir(folder).exists())
        dialog.setDirectory(folder);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        bool known = patternIndex >= 0 && patternIndex < filters.size();
        dialog.selectNameFilter(filters.at(known ? patternIndex : 0));
    }
    if (!start.name.empty())
        dialog.selectFile(QFile::decodeName(start.name.c_str()));

    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return {};
    // The bytes the file system knows the file by, whatever its length.
    return QFile::encodeName(QFileInfo(chosen.first()).absoluteFilePath()).toStdString();
}

}  // namespace toolkit
