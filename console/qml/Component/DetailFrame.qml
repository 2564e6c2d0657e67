import QtQuick 2.15
import HuskarUI.Basic 1.0

// The bordered panel of the plugin detail windows, inset as their header is.
Rectangle {
    x: 10
    width: parent ? parent.width - 25 : 0
    radius: 8
    color: "transparent"
    border.width: 2
    border.color: HusTheme.isDark ? "#23272e" : "#f0f4f7"
    clip: true
}
