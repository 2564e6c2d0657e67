#pragma once

#include <QObject>

class QWindow;

// Window operations the documents cannot do by themselves.
class HusApi : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Changes the window's Qt::WindowStaysOnTopHint; the window stays shown.
    Q_INVOKABLE void setWindowStaysOnTopHint(QWindow *window, bool hint);
    Q_INVOKABLE bool windowStaysOnTop(QWindow *window) const;
    Q_INVOKABLE void setClipboardText(const QString &text);
    Q_INVOKABLE QString clipboardText() const;
};
