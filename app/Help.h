// The user's guide: an HTML document beside the program (or under share/ when installed),
// opened in the desktop's browser at the topic asked for.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

enum class HelpTopic { kContents, kSearch, kHowToUse };

// The guide's file, "" when it is nowhere to be found.
QString HelpFilePath();
// The guide at the topic's anchor. On failure shows "Can't start the help viewer" and is false.
bool ShowHelp(HelpTopic topic);

// Tests see the address instead of a browser starting; the hook answers whether it opened.
using HelpHook = std::function<bool(const QUrl& url)>;
void SetHelpHook(HelpHook hook);
