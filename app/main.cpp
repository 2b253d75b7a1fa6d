// Start-up: the application, the main window, the message loop.
#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/Unit1.h"

namespace {

// True when Qt can open a window here: a display, or a platform chosen explicitly.
bool HaveDisplay() {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

void ShowStartupError(const QString& message) {
  QMessageBox::critical(nullptr, kBuiltCaption, message);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (!HaveDisplay()) {
    std::fprintf(stderr,
                 "velmoran: no display to open the window on; use velmoran-cli for the same work "
                 "from the command line.\n");
    return 1;
  }
  QApplication application(argc, argv);
  SubstituteWindowFonts();
  try {
    TMainForm mainForm;
    mainForm.show();
    application.exec();
  } catch (const std::exception& error) {
    ShowStartupError(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    ShowStartupError(QString());
  }
  return 0;
}
