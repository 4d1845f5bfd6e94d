#include "app/Help.h"

#include <QDesktopServices>
#include <QFileInfo>

#include "app/AppState.h"
#include "platform/msgbox/Messages.h"

namespace {

HelpHook& Hook() {
  static HelpHook hook;
  return hook;
}

}  // namespace

QString HelpFilePath() {
  const QString dir = QString::fromStdString(App().programDir);
  for (const char* place : {"/help/index.html", "/../share/ondara-draw/help/index.html"}) {
    QFileInfo info(dir + place);
    if (info.isFile()) return info.canonicalFilePath();
  }
  return QString();
}

bool ShowHelp(HelpTopic topic) {
  const QString path = HelpFilePath();
  bool opened = false;
  if (!path.isEmpty()) {
    QUrl url = QUrl::fromLocalFile(path);
    if (topic == HelpTopic::kSearch) url.setFragment("index");
    if (topic == HelpTopic::kHowToUse) url.setFragment("using-help");
    opened = Hook() ? Hook()(url) : QDesktopServices::openUrl(url);
  }
  if (!opened) ShowError("Can't start the help viewer");
  return opened;
}

void SetHelpHook(HelpHook hook) { Hook() = std::move(hook); }
