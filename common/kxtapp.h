#pragma once

class QQmlApplicationEngine;

namespace KxtApp {

// Registers what every engine of either program imports from here: the
// "Platform" 1.0 singleton (defaultUrl, version) and the KxtShared module.
void registerTypes();

// Installs the component library on the engine, loads qrc:/main.qml and runs the event loop; a root document that fails to
// load ends the program with -1 instead of leaving it running without a window.
int run(QQmlApplicationEngine &engine);

} // namespace KxtApp
