#include "husapi.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QWindow>

void HusApi::setWindowStaysOnTopHint(QWindow *window, bool hint)
{
    if (!window || window->flags().testFlag(Qt::WindowStaysOnTopHint) == hint)
        return;
    // Changing flags re-creates the native window on some platforms, which hides it.
    const bool wasVisible = window->isVisible();
    window->setFlag(Qt::WindowStaysOnTopHint, hint);
    if (wasVisible && !window->isVisible())
        window->show();
}

bool HusApi::windowStaysOnTop(QWindow *window) const
{
    return window && window->flags().testFlag(Qt::WindowStaysOnTopHint);
}

void HusApi::setClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

QString HusApi::clipboardText() const
{
    return QGuiApplication::clipboard()->text();
}
