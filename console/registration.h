#pragma once

// Registers the backend types and singletons the console's documents import.
// The console's main and every QML test runner call this, so tests see what ships.
void registerConsoleTypes();
