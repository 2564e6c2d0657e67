import QtQuick 2.15
import QtGraphicalEffects 1.15
import HuskarUI.Basic 1.0

// A round picture of a person: an image, an icon or a few letters, in that order.
Item {
    id: control

    property int size: 40
    property var iconSource: 0
    property url imageSource: ""
    property string textSource: ""
    property color colorBg: HusTheme.isDark ? "#595959" : "#bfbfbf"
    property color colorIcon: "#ffffff"
    property color colorText: "#ffffff"
    property real radiusBg: size / 2
    property font textFont: Qt.font({ family: HusTheme.Primary.fontPrimaryFamily, pixelSize: Math.round(size * 0.45) })

    implicitWidth: size
    implicitHeight: size

    Rectangle {
        id: disc
        anchors.centerIn: parent
        width: Math.min(control.width, control.height)
        height: width
        radius: Math.min(control.radiusBg, width / 2)
        color: control.colorBg

        HusIconText {
            anchors.centerIn: parent
            visible: image.status !== Image.Ready && control.textSource.length === 0
            iconSource: control.iconSource
            iconSize: Math.round(disc.width * 0.58)
            colorIcon: control.colorIcon
        }

        Text {
            anchors.centerIn: parent
            visible: image.status !== Image.Ready && control.textSource.length > 0
            text: control.textSource
            font: control.textFont
            color: control.colorText
            renderType: Text.NativeRendering
        }

        Image {
            id: image
            anchors.fill: parent
            source: control.imageSource
            fillMode: Image.PreserveAspectCrop
            visible: false
            asynchronous: true
        }

        Rectangle {
            id: mask
            anchors.fill: parent
            radius: disc.radius
            visible: false
        }

        // The image cut to the avatar's round shape.
        OpacityMask {
            anchors.fill: parent
            visible: image.status === Image.Ready
            source: image
            maskSource: mask
        }
    }
}
