import QtQuick 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0

// A vertical list of events on a line, from initModel entries
// {time, content, iconSource, colorNode}; time is a text or a Date.
Item {
    id: control

    enum Mode {
        Mode_Left,
        Mode_Right,
        Mode_Alternate
    }

    property var initModel: []
    property int mode: HusTimeline.Mode_Left
    property bool reverse: false
    property string timeFormat: "yyyy-MM-dd"
    property int defaultNodeSize: 10
    property int defaultLineWidth: 2
    property int defaultContentSpacing: 6
    property int defaultItemSpacing: 18
    property font timeFont: Qt.font({ family: HusTheme.Primary.fontPrimaryFamily, pixelSize: HusTheme.Primary.fontPrimarySizeSM })
    property font contentFont: Qt.font({ family: HusTheme.Primary.fontPrimaryFamily, pixelSize: HusTheme.Primary.fontPrimarySize })
    property color colorNode: HusTheme.Primary.colorPrimary
    property color colorLine: HusTheme.Primary.colorSplit
    property color colorTime: HusTheme.Primary.colorTextTertiary
    property color colorContent: HusTheme.Primary.colorTextBase
    property color colorBg: HusTheme.Primary.colorBgContainer
    readonly property int count: list.count

    function __timeText(time) {
        if (time instanceof Date)
            return Qt.formatDateTime(time, timeFormat);
        return time === undefined || time === null ? "" : String(time);
    }

    ListView {
        id: list
        anchors.fill: parent
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: {
            const entries = Array.from(control.initModel || []);
            return control.reverse ? entries.reverse() : entries;
        }
        ScrollBar.vertical: HusScrollBar {}

        delegate: Item {
            id: entry

            required property var modelData
            required property int index
            readonly property bool last: index === list.count - 1
            readonly property bool onRight: control.mode === HusTimeline.Mode_Left
                                            || (control.mode === HusTimeline.Mode_Alternate && index % 2 === 0)
            readonly property real axis: control.mode === HusTimeline.Mode_Left ? 16
                                       : control.mode === HusTimeline.Mode_Right ? width - 16 : width / 2
            readonly property real textWidth: control.mode === HusTimeline.Mode_Alternate ? width / 2 - 28 : width - 48
            readonly property bool hasIcon: typeof modelData.iconSource === "string" && modelData.iconSource.length > 0

            width: list.width - 12
            height: texts.height + control.defaultItemSpacing

            Rectangle {
                visible: !entry.last
                x: entry.axis - control.defaultLineWidth / 2
                y: node.y + node.height + 2
                width: control.defaultLineWidth
                height: entry.height - y + node.y - 2
                color: control.colorLine
            }

            Rectangle {
                id: node
                visible: !entry.hasIcon
                x: entry.axis - width / 2
                y: 4
                width: control.defaultNodeSize
                height: width
                radius: width / 2
                color: control.colorBg
                border.width: 2
                border.color: entry.modelData.colorNode ? entry.modelData.colorNode : control.colorNode
            }

            HusIconText {
                visible: entry.hasIcon
                x: entry.axis - width / 2
                y: 2
                iconSource: entry.modelData.iconSource
                iconSize: 14
                colorIcon: entry.modelData.colorNode ? entry.modelData.colorNode : control.colorNode
            }

            Column {
                id: texts
                x: entry.onRight ? entry.axis + 16 : entry.axis - 16 - width
                width: entry.textWidth
                spacing: control.defaultContentSpacing

                Text {
                    width: parent.width
                    visible: text.length > 0
                    text: control.__timeText(entry.modelData.time)
                    font: control.timeFont
                    color: control.colorTime
                    horizontalAlignment: entry.onRight ? Text.AlignLeft : Text.AlignRight
                    renderType: Text.NativeRendering
                }

                Text {
                    width: parent.width
                    text: entry.modelData.content === undefined ? "" : String(entry.modelData.content)
                    font: control.contentFont
                    color: control.colorContent
                    wrapMode: Text.WrapAnywhere
                    horizontalAlignment: entry.onRight ? Text.AlignLeft : Text.AlignRight
                    renderType: Text.NativeRendering
                }
            }
        }
    }
}
