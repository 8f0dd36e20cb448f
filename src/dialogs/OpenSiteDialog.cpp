// The file dialog of Open a Site: site files first, "SITE1" proposed.
#include "dialogs/Dialogs.h"

#include <QFile>
#include <QFileDialog>

namespace marlow {

std::optional<std::string> runOpenSiteDialog(QWidget* owner) {
    QFileDialog dialog(owner, QStringLiteral("Open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Site Files (*.tws)"), QStringLiteral("All Files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("tws"));
    dialog.selectFile(QStringLiteral("SITE1"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

} // namespace marlow
