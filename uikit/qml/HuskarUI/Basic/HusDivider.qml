import QtQuick 2.15
import HuskarUI.Basic 1.0

// A thin rule, horizontal with an optional title, or vertical.
Item {
    id: control

    enum Align {
        Align_Left,
        Align_Center,
        Align_Right
    }

    enum Style {
        Style_Solid,
        Style_Dashed
    }

    property string title: ""
    property int titleAlign: HusDivider.Align_Left
    property int titlePadding: 20
    property int style: HusDivider.Style_Solid
    property int orientation: Qt.Horizontal
    property int lineWidth: 1
    property font font: Qt.font({ family: HusTheme.Primary.fontPrimaryFamily, pixelSize: HusTheme.Primary.fontPrimarySize })
    property color colorText: HusTheme.Primary.colorTextBase
    property color colorSplit: HusTheme.isDark ? HusTheme.Primary.colorBorderSecondary : HusTheme.Primary.colorBorder

    readonly property bool __vertical: orientation === Qt.Vertical
    readonly property bool __hasTitle: !__vertical && title.length > 0
    readonly property real __titleStart: {
        if (!__hasTitle)
            return width / 2;
        switch (titleAlign) {
        case HusDivider.Align_Center:
            return (width - label.width) / 2;
        case HusDivider.Align_Right:
            return width - label.width - titlePadding * 2;
        default:
            return titlePadding;
        }
    }

    implicitWidth: __vertical ? lineWidth : 200
    implicitHeight: __vertical ? 20 : (__hasTitle ? label.implicitHeight + 8 : lineWidth + 16)

    Repeater {
        // The rule in one piece, or in two around the title.
        model: control.__hasTitle ? 2 : 1

        delegate: Item {
            required property int index
            readonly property real start: control.__hasTitle && index === 1 ? control.__titleStart + label.width + 16 : 0
            readonly property real end: control.__hasTitle && index === 0 ? control.__titleStart - 8 : control.width

            x: control.__vertical ? (control.width - control.lineWidth) / 2 : start
            y: control.__vertical ? 0 : (control.height - control.lineWidth) / 2
            width: control.__vertical ? control.lineWidth : Math.max(0, end - start)
            height: control.__vertical ? control.height : control.lineWidth
            clip: true

            Rectangle {
                visible: control.style === HusDivider.Style_Solid
                anchors.fill: parent
                color: control.colorSplit
            }

            Row {
                visible: control.style === HusDivider.Style_Dashed && !control.__vertical
                spacing: 3
                Repeater {
                    model: control.style === HusDivider.Style_Dashed ? Math.ceil(control.width / 7) : 0
                    Rectangle { width: 4; height: control.lineWidth; color: control.colorSplit }
                }
            }

            Column {
                visible: control.style === HusDivider.Style_Dashed && control.__vertical
                spacing: 3
                Repeater {
                    model: control.style === HusDivider.Style_Dashed && control.__vertical ? Math.ceil(control.height / 7) : 0
                    Rectangle { width: control.lineWidth; height: 4; color: control.colorSplit }
                }
            }
        }
    }

    Text {
        id: label
        visible: control.__hasTitle
        x: control.__titleStart + 4
        anchors.verticalCenter: parent.verticalCenter
        text: control.title
        font: control.font
        color: control.colorText
        renderType: Text.NativeRendering
    }
}
