import QtQuick 2.15
import DelegateUI 1.0

// A rounded bar with its percentage written over it.
Item {
    id: control

    property int minimumValue: 0
    property int maximumValue: 100
    property int currentValue: 0

    width: 120
    height: 12

    Rectangle {
        id: track

        anchors.fill: parent
        color: "lightgray"
        radius: 14

        Rectangle {
            objectName: "fill"
            readonly property real share: control.maximumValue > control.minimumValue
                                          ? (control.currentValue - control.minimumValue) / (control.maximumValue - control.minimumValue)
                                          : 0

            anchors.left: parent.left
            height: parent.height
            width: Math.max(0, Math.min(1, share)) * track.width
            color: "#66a333"
            radius: 14
        }
    }

    Text {
        objectName: "label"
        anchors.centerIn: parent
        text: control.currentValue + "%"
        font.bold: true
        font.pixelSize: 12
        font.family: DelTheme.Primary.fontPrimaryFamily
        color: DelTheme.Primary.colorTextBase
        // The dark theme's light text would fade into the light grey track.
        style: DelTheme.isDark ? Text.Outline : Text.Normal
        styleColor: "#404040"
    }
}
