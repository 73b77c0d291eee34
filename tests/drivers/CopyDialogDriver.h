// Answers the installer's dialogs in tests: watches for "Printer Driver Files" (171), notes
// its rows when it opens and when it closes, answers "File Not found" (170) from a queue,
// and presses Close once the copy has run through.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QProgressBar>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace drivertest {

struct Row {
    std::string path, type, status;
    bool operator==(const Row &) const = default;
};

inline void PrintTo(const Row &row, std::ostream *out)
{
    *out << "{" << row.path << ", " << row.type << ", " << row.status << "}";
}

class CopyDialogDriver : public QObject {
public:
    enum class NotFoundAnswer { Retry, Cancel };

    CopyDialogDriver()
    {
        connect(&m_timer, &QTimer::timeout, this, &CopyDialogDriver::look);
        m_timer.start(10);
    }

    void answerNotFound(NotFoundAnswer answer) { m_notFoundAnswers.push_back(answer); }

    std::vector<Row> openingRows, closingRows;
    int closingProgress = -1;
    int notFoundShown = 0;
    bool opened = false;

private:
    static std::vector<Row> rowsOf(QWidget *dialog)
    {
        std::vector<Row> rows;
        auto *list = dialog->findChild<QTreeWidget *>("1008");
        for (int i = 0; list && i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list->topLevelItem(i);
            rows.push_back({item->text(0).toStdString(), item->text(1).toStdString(), item->text(2).toStdString()});
        }
        return rows;
    }

    void look()
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (!window->isVisible())
                continue;
            if (window->objectName() == "170")
                answer(window);
            else if (window->objectName() == "171")
                watch(static_cast<QDialog *>(window));
        }
    }

    void answer(QWidget *notFound)
    {
        ++notFoundShown;
        const char *button = "2";
        if (m_notFoundAnswers.empty())
            ADD_FAILURE() << "\"File Not found\" shown, no answer queued";
        else if (m_notFoundAnswers.front() == NotFoundAnswer::Retry)
            button = "4";
        if (!m_notFoundAnswers.empty())
            m_notFoundAnswers.pop_front();
        notFound->findChild<QAbstractButton *>(button)->click();
    }

    void watch(QDialog *dialog)
    {
        if (!opened) {
            opened = true;
            openingRows = rowsOf(dialog);
            connect(dialog, &QDialog::finished, this, [this, dialog] {
                closingRows = rowsOf(dialog);
                closingProgress = dialog->findChild<QProgressBar *>("1011")->value();
            });
        }
        auto *close = dialog->findChild<QAbstractButton *>("2");
        if (close && close->isEnabled())
            close->click();
    }

    QTimer m_timer;
    std::deque<NotFoundAnswer> m_notFoundAnswers;
};

} // namespace drivertest
