import QtQuick 2.15
import QtQuick.Layouts 1.15
import HuskarUI.Basic 1.0
import KxtShared 1.0

// One row of the transfer queue: name, elapsed time, percentage and state over a
// fill that grows with the transfer and turns green or red when the task ends.
Item {
    id: row

    required property int index
    required property string fileName
    required property real progress
    required property real remainingTime // the task's creation time, in seconds since the epoch
    required property int status
    required property int error

    readonly property bool finished: status === 3
    readonly property real fillWidth: finished ? width : Math.max(0, Math.min(width, width * progress / 100))
    readonly property color fillColor: error ? "#ff3d38" : finished ? "#54a334" : "#1677ff"
    readonly property color backgroundColor: HusTheme.isDark ? (index % 2 === 0 ? "#333333" : "#444444")
                                                             : (index % 2 === 0 ? "#eeeeee" : "#dddddd")
    readonly property string statusText: ["等待中", "下载中", "上传中"][status] || ""
    readonly property string timeText: {
        if (finished)
            return error ? "失败！" : "已完成";
        if (remainingTime === 0)
            return "";
        // Hours, minutes and seconds are each the whole elapsed time in that unit.
        const elapsed = Math.max(0, now - Math.floor(remainingTime));
        return Math.floor(elapsed / 3600) + ":" + Math.floor(elapsed / 60) + ":" + elapsed;
    }

    // Whole seconds, so the time text is only rebuilt when it can change.
    property int now: Math.floor(Date.now() / 1000)

    height: 60

    // A rectangle whose top corners are rounded on the first row only.
    component RowShape: Rectangle {
        radius: row.index === 0 ? 8 : 0

        Rectangle {
            visible: parent.radius > 0
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            height: parent.height / 2
            color: parent.color
        }
    }

    component RowText: Text {
        font.bold: true
        font.pixelSize: 14
        font.family: HusTheme.Primary.fontPrimaryFamily
        color: HusTheme.Primary.colorTextBase
        elide: Text.ElideMiddle
        verticalAlignment: Text.AlignVCenter
        Layout.alignment: Qt.AlignVCenter
    }

    RowShape {
        objectName: "background"
        anchors.fill: parent
        color: row.backgroundColor
    }

    Item {
        objectName: "fill"
        width: row.fillWidth
        height: row.height
        clip: true

        Behavior on width {
            NumberAnimation { duration: 300; easing.type: Easing.OutQuad }
        }

        RowShape {
            width: row.width
            height: row.height
            color: row.fillColor
        }
    }

    Timer {
        interval: 10
        repeat: true
        running: !row.finished && row.remainingTime !== 0
        onTriggered: row.now = Math.floor(Date.now() / 1000)
    }

    RowLayout {
        anchors.fill: parent
        anchors.margins: 5
        spacing: 15

        HusIconText {
            iconSource: HusIcon.CopyOutlined
            iconSize: 32
            Layout.alignment: Qt.AlignVCenter
        }

        RowText {
            id: name
            objectName: "name"
            text: row.fileName
            // The full text's width, measured apart: an elided Text may report its
            // shortened width and would then never grow back.
            Layout.fillWidth: true
            Layout.maximumWidth: Math.ceil(nameMetrics.advanceWidth)
            Layout.minimumWidth: Math.min(Layout.maximumWidth, 60)

            TextMetrics {
                id: nameMetrics
                font: name.font
                text: name.text
            }
        }

        RowText {
            objectName: "time"
            text: row.timeText
        }

        Item {
            Layout.fillWidth: true
        }

        RowText {
            objectName: "percent"
            visible: !row.finished
            text: Math.min(row.progress, 100) + "%"
            horizontalAlignment: Text.AlignRight
            Layout.margins: 10
        }

        RowText {
            objectName: "state"
            text: row.statusText
            horizontalAlignment: Text.AlignRight
            Layout.margins: 10
        }
    }
}
