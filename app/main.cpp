// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the application, the main window, the message loop.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "app/Fatal.h"
#include "app/QtProgressHost.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "core/Progress.h"
#include "core/Signals.h"

namespace {

// True when Qt can open a window here: a display, or a platform chosen explicitly.
bool HaveDisplay() {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

void ShowError(const QString& message) {
  QMessageBox::critical(nullptr, kBuiltCaption, message);
}

// An exception that escapes an event handler is shown, and the program keeps running: the
// window keeps its state as the handler left it.
class Application : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      ShowError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
      ShowError(QString());
    }
    return false;
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  RemoveTemporaryFilesOnSignals();  // a save cut off by a signal leaves no temporary file
  // Answered without a window, as a program in a menu or a package is asked.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("velmoran %s\n", VELMORAN_VERSION);
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf("usage: velmoran [--version | --help] [--] [FILE...]\n\n"
                "Opens the window that recolours DVD subtitles, with the files given open as if\n"
                "dropped on it: a .sup, an .ifo, .vob files or a disc's folder.\n\n"
                "Settings are kept in velmoran.INI beside the program when its folder may be\n"
                "written, else in\n"
                "$XDG_CONFIG_HOME/velmoran/velmoran.INI (~/.config/velmoran/velmoran.INI).\n"
                "velmoran-cli does the same file work from the command line.\n");
    return 0;
  }
  // Files to open: every argument, an option only before "--".
  std::vector<std::string> files;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (options && argument == "--") {
      options = false;
    } else if (options && argument.size() > 1 && argument[0] == '-') {
      std::fprintf(stderr, "velmoran: unknown option %s\nusage: velmoran [--version | --help] [--] [FILE...]\n",
                   argument.c_str());
      return 2;
    } else {
      files.push_back(argument);
    }
  }
  if (!HaveDisplay()) {
    std::fprintf(stderr,
                 "velmoran: no display to open the window on; use velmoran-cli for the same work "
                 "from the command line.\n");
    return 1;
  }
  Application application(argc, argv);
  SubstituteWindowFonts();
  // An exception that escapes start-up or the message loop is fatal: shown, then exit code 1.
  return RunCatchingFatal(
      [&application, &files] {
        TMainForm mainForm;
        // The progress window, made after the main window and hidden until a scan runs. It is a
        // child window of the main window, so it stays above it and is centred on it.
        TProgressForm progressForm(&mainForm);
        QtProgressHost progressHost(&progressForm, &mainForm);
        ScopedProgressHost scopedHost(&progressHost);
        mainForm.show();
        std::vector<std::string> paths;
        for (const std::string& file : files)
          paths.push_back(QDir::cleanPath(QFileInfo(QString::fromLocal8Bit(file.c_str()))
                                              .absoluteFilePath())
                              .toStdString());
        if (!paths.empty()) mainForm.FormDragDrop(paths);
        return application.exec();
      },
      ShowError);
}
