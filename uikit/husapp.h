#pragma once

class QQmlEngine;

class HusApp
{
public:
    // Makes "HuskarUI.Basic" 1.0 and "DelegateUI" 1.0 importable on the engine.
    static void initialize(QQmlEngine *engine);
};
