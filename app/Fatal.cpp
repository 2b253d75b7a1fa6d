// SPDX-License-Identifier: GPL-3.0-or-later
// Running the program's body so that a fatal error ends it with a failure exit code.
#include "app/Fatal.h"

#include <exception>

int RunCatchingFatal(const std::function<int()>& body,
                     const std::function<void(const QString&)>& show) {
  try {
    return body();
  } catch (const std::exception& error) {
    show(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    show(QString());
  }
  return kExitFatal;
}
