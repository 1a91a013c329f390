#pragma once

#include "app/MessageBoxes.h"

#include <functional>
#include <utility>
#include <vector>

// Answers every message box with `Answer` while it lives and keeps what was asked, without
// showing anything; the previous hook comes back afterwards. OnBox runs inside each box.
class TMessageBoxRecorder
{
public:
    TMessageBoxRecorder()
    {
        m_previous = SetMessageBoxHook([this](const TMessageBoxRequest& request) {
            Requests.push_back(request);
            if (OnBox)
                OnBox(request);
            return Answer;
        });
    }
    ~TMessageBoxRecorder() { SetMessageBoxHook(std::move(m_previous)); }
    TMessageBoxRecorder(const TMessageBoxRecorder&) = delete;
    TMessageBoxRecorder& operator=(const TMessageBoxRecorder&) = delete;

    std::vector<TMessageBoxRequest> Requests;
    TMessageButton Answer = TMessageButton::Ok;
    std::function<void(const TMessageBoxRequest&)> OnBox;

private:
    TMessageBoxHook m_previous;
};
