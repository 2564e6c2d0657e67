import QtQuick 2.15
import HuskarUI.Basic 1.0

// A rounded bar with its percentage written over it.
Item {
    id: bar

    property int minimumValue: 0
    property int maximumValue: 100
    property int currentValue: 0

    // An empty or inverted range draws an empty bar instead of a NaN width.
    readonly property real fraction: maximumValue > minimumValue
                                     ? Math.max(0, Math.min(1, (currentValue - minimumValue) / (maximumValue - minimumValue)))
                                     : 0

    implicitWidth: 120
    implicitHeight: 12

    Rectangle {
        id: track
        anchors.fill: parent
        color: "lightgray"
        radius: 14
    }

    Rectangle {
        objectName: "fill"
        anchors.left: track.left
        anchors.top: track.top
        anchors.bottom: track.bottom
        width: bar.fraction * track.width
        color: "#66a333"
        radius: 14
    }

    Text {
        objectName: "label"
        anchors.centerIn: parent
        text: bar.currentValue + "%"
        font.bold: true
        font.pixelSize: 12
        font.family: HusTheme.Primary.fontPrimaryFamily
        color: HusTheme.Primary.colorTextBase
        // The dark theme's light text would fade into the light grey track.
        style: HusTheme.isDark ? Text.Outline : Text.Normal
        styleColor: "#404040"
    }
}
