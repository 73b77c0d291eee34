// Answers the manager's prompts in tests: every message box and file dialog must have been
// expected, in order, and is answered as queued. An unexpected prompt fails the test (and is
// answered with Cancel, or its only button); expectations left unanswered fail it when the
// queue is destroyed. While the queue lives it is the process's UI backend.
#pragma once

#include "manager/dialogs/Prompts.h"
#include "platform/ui/ui.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zortest {

class PromptQueue {
public:
    PromptQueue();
    ~PromptQueue();
    PromptQueue(const PromptQueue &) = delete;
    PromptQueue &operator=(const PromptQueue &) = delete;

    // The next prompt is a message box with exactly `text`; it is answered with `answer`.
    // `whileShown` runs while the box is "up" (to look at the state behind it).
    PromptQueue &expectBox(std::string text, int answer = IDOK, std::function<void()> whileShown = {});
    // The next prompt is a file dialog; `answer` is the name chosen (empty: cancelled).
    PromptQueue &expectFile(std::string answer, std::function<void(const sendaro::FileDialogRequest &)> check = {});

    // Every message box shown so far, in order, expected or not.
    std::vector<zorplat::MessageBoxRequest> boxes() const;
    // Prompts still expected.
    size_t pending() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

} // namespace zortest
