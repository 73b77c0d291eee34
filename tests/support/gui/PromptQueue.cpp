#include "tests/support/gui/PromptQueue.h"

#include <gtest/gtest.h>

#include <deque>
#include <mutex>

namespace zortest {

struct PromptQueue::State {
    struct Expected {
        bool isBox = true;
        std::string text;
        int answer = IDOK;
        std::function<void()> whileShown;
        std::string fileAnswer;
        std::function<void(const sendaro::FileDialogRequest &)> fileCheck;
    };
    std::mutex mutex;
    std::deque<Expected> expected;
    std::vector<zorplat::MessageBoxRequest> boxes;

    // The next expectation when it is of the kind asked, else nothing (the caller fails).
    bool take(bool isBox, Expected &out)
    {
        std::lock_guard lock(mutex);
        if (expected.empty() || expected.front().isBox != isBox)
            return false;
        out = std::move(expected.front());
        expected.pop_front();
        return true;
    }
};

namespace {

int UnexpectedAnswer(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OK: return IDOK;
    case MB_YESNO: return IDNO;
    default: return IDCANCEL;
    }
}

class QueueBackend : public zorplat::UiBackend {
public:
    explicit QueueBackend(std::shared_ptr<PromptQueue::State> state) : m_state(std::move(state)) {}

    int showMessageBox(const zorplat::MessageBoxRequest &request) override
    {
        {
            std::lock_guard lock(m_state->mutex);
            m_state->boxes.push_back(request);
        }
        PromptQueue::State::Expected next;
        if (!m_state->take(true, next)) {
            ADD_FAILURE() << "unexpected message box \"" << request.caption << "\": " << request.text;
            return UnexpectedAnswer(request.type);
        }
        EXPECT_EQ(next.text, request.text) << "message box in an unexpected order or with another text";
        if (next.whileShown)
            next.whileShown();
        return next.answer;
    }
    void bringMessageBoxToForeground(const zorplat::MessageBoxRequest &) override {}
    void progressWindowCreated(HWND, const zorplat::ProgressState &) override {}
    void progressWindowChanged(HWND, const zorplat::ProgressState &) override {}
    void progressWindowToForeground(HWND) override {}
    void progressWindowDestroyed(HWND) override {}

private:
    std::shared_ptr<PromptQueue::State> m_state;
};

} // namespace

PromptQueue::PromptQueue() : m_state(std::make_shared<State>())
{
    zorplat::SetUiBackend(std::make_unique<QueueBackend>(m_state));
    sendaro::SetFileDialogHandler([state = m_state](const sendaro::FileDialogRequest &request) {
        State::Expected next;
        if (!state->take(false, next)) {
            ADD_FAILURE() << "unexpected file dialog \"" << request.caption << "\"";
            return std::string();
        }
        if (next.fileCheck)
            next.fileCheck(request);
        return next.fileAnswer;
    });
}

PromptQueue::~PromptQueue()
{
    sendaro::SetFileDialogHandler({});
    zorplat::SetUiBackend(nullptr);
    std::lock_guard lock(m_state->mutex);
    for (const auto &left : m_state->expected)
        ADD_FAILURE() << "expected prompt never came: " << (left.isBox ? left.text : "a file dialog");
}

PromptQueue &PromptQueue::expectBox(std::string text, int answer, std::function<void()> whileShown)
{
    std::lock_guard lock(m_state->mutex);
    m_state->expected.push_back({true, std::move(text), answer, std::move(whileShown), {}, {}});
    return *this;
}

PromptQueue &PromptQueue::expectFile(std::string answer,
                                     std::function<void(const sendaro::FileDialogRequest &)> check)
{
    std::lock_guard lock(m_state->mutex);
    m_state->expected.push_back({false, {}, IDOK, {}, std::move(answer), std::move(check)});
    return *this;
}

std::vector<zorplat::MessageBoxRequest> PromptQueue::boxes() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->boxes;
}

size_t PromptQueue::pending() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->expected.size();
}

} // namespace zortest
