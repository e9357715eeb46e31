// SPDX-License-Identifier: MIT
#include "game_prefix.h"

#include <cstdlib>
#include <filesystem>

#include "ui/message_box.h"

namespace brambleton::testing {

MessageRecorder::MessageRecorder() {
    ui::setMessageHook([this](const QString& text, const QString& title) {
        texts << text;
        titles << title;
    });
}

MessageRecorder::~MessageRecorder() {
    ui::setMessageHook({});
}

}  // namespace brambleton::testing
