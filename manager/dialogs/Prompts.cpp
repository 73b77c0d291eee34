#include "manager/dialogs/Prompts.h"

#include "platform/ui/uijournal.h"

#include <QFileDialog>

namespace sendaro {

namespace {

FileDialogHandler &Handler()
{
    static FileDialogHandler handler;
    return handler;
}

std::string AskWithWidgets(QWidget *owner, const FileDialogRequest &request)
{
    const QString caption = QString::fromStdString(request.caption);
    const QString fileName = QString::fromStdString(request.fileName);
    const QString filter = QString::fromStdString(request.filter);
    const QString chosen = request.save ? QFileDialog::getSaveFileName(owner, caption, fileName, filter)
                                        : QFileDialog::getOpenFileName(owner, caption, fileName, filter);
    return chosen.toStdString();
}

} // namespace

int Prompt(const std::string &text, UINT type, const char *caption)
{
    return MessageBox(nullptr, text.c_str(), caption, type);
}

int Prompt(UINT id, UINT type)
{
    return Prompt(zordb::ManagerString(id), type);
}

std::string AskFileName(QWidget *owner, const FileDialogRequest &request)
{
    if (Handler())
        return Handler()(request);
    if (zorplat::UiModeFromEnvironment() == zorplat::UiMode::Headless) {
        zorplat::UiJournalEntry("filedialog")
            .add("caption", request.caption)
            .add("file", request.fileName)
            .add("save", request.save ? 1 : 0)
            .write();
        return {};
    }
    return AskWithWidgets(owner, request);
}

void SetFileDialogHandler(FileDialogHandler handler)
{
    Handler() = std::move(handler);
}

} // namespace sendaro
