import QtQuick 2.15
import HuskarUI.Basic 1.0

// One icon glyph painted in a theme colour. iconSource takes a HusIcon value;
// 0, "" or undefined draw nothing.
Item {
    id: control

    property var iconSource: 0
    property int iconSize: HusTheme.Primary.fontPrimarySize + 2
    property color color: HusTheme.Primary.colorTextBase
    property color colorIcon: color
    property string contentDescription: ""

    readonly property bool hasIcon: typeof iconSource === "string" && iconSource.length > 0

    implicitWidth: hasIcon ? iconSize : 0
    implicitHeight: hasIcon ? iconSize : 0

    Image {
        anchors.centerIn: parent
        width: control.iconSize
        height: control.iconSize
        visible: control.hasIcon
        sourceSize: Qt.size(control.iconSize, control.iconSize)
        smooth: true
        source: control.hasIcon
                ? "image://husicon/" + control.iconSource + "/" + String(control.colorIcon).substring(1)
                : ""
    }
}
