#pragma once

// Registers the backend types and singletons the console's documents import, and
// applies the environment they depend on (KXT_SERVER_URL, KXT_CA_FILE).
// The console's main and every QML test runner call this, so tests see what ships.
void registerConsoleTypes();
