// The program's help: our own HTML pages (resources/help, compiled into the program) shown in
// one help window that stays open beside the main window.
#pragma once

#include <QDialog>
#include <string>

class QTextBrowser;

namespace sendaro {

// Opens the help window on `page` ("main-window.html", a file of resources/help), raising it
// when it is already open. An unknown page shows the contents page.
void ShowHelp(QWidget *from, const std::string &page);

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);
    void showPage(const std::string &page);
    // The page shown, for tests ("qrc:/help/new-group.html").
    QString currentPage() const;

private:
    QTextBrowser *m_browser;
};

} // namespace sendaro
