import QtQuick 2.15
import HuskarUI.Basic 1.0

// The frame of the plugin detail windows; Esc closes them like the caption bar does.
HusWindow {
    id: window

    width: 890
    height: 630
    title: "插件详情页"
    captionBar.topButtonVisible: true
    captionBar.winIconDelegate: Image {
        source: "qrc:/image/logo.png"
        width: 20
        height: 20
        sourceSize: Qt.size(20, 20)
        fillMode: Image.PreserveAspectFit
    }

    Shortcut {
        sequence: "Esc"
        onActivated: window.close()
    }
}
