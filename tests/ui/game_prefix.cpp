// SPDX-License-Identifier: MIT
#include "game_prefix.h"

#include <cstdlib>
#include <filesystem>

#include "ui/message_box.h"

namespace brambleton::testing {

ui::Sources GamePrefix::sources(std::unique_ptr<FolderSource> folders,
                                const QString& programFolder) const {
    return {std::make_shared<Machine>(environment()), std::move(folders), programFolder};
}

std::shared_ptr<ui::Places> GamePrefix::places() const {
    return std::make_shared<ui::Places>(Machine(environment()).defaultFolderMap());
}

MessageRecorder::MessageRecorder() {
    ui::setMessageHook([this](const QString& text, const QString& title) {
        texts << text;
        titles << title;
        if (onMessage) onMessage();
    });
}

MessageRecorder::~MessageRecorder() {
    ui::setMessageHook({});
}

}  // namespace brambleton::testing
