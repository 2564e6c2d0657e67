import QtQuick 2.15
import QtQuick.Layouts 1.15
import HuskarUI.Basic 1.0
import KxtShared 1.0

// One row of the transfer queue: name, elapsed time, speed and time left,
// percentage and state over a fill that grows with the transfer and turns green
// or red when the task ends; "重试" on a failed row, "取消" on an unfinished one.
Item {
    id: row

    signal retryClicked()
    signal cancelClicked()

    required property int index
    required property string fileName
    required property real progress
    required property real remainingTime // the task's creation time, in seconds since the epoch
    required property int status
    required property int error
    required property bool cancelled
    required property real speed      // bytes per second of the running transfer, 0 when none
    required property real remaining  // seconds left, -1 when unknown

    readonly property bool finished: status === 3
    readonly property real fillWidth: finished ? width : Math.max(0, Math.min(width, width * progress / 100))
    readonly property color fillColor: error ? "#ff3d38" : finished ? "#54a334" : "#1677ff"
    readonly property color backgroundColor: HusTheme.isDark ? (index % 2 === 0 ? "#333333" : "#444444")
                                                             : (index % 2 === 0 ? "#eeeeee" : "#dddddd")
    readonly property string statusText: ["等待中", "下载中", "上传中"][status] || ""
    readonly property string timeText: {
        if (finished)
            return cancelled ? "已取消" : error ? "失败！" : "已完成";
        if (remainingTime === 0)
            return "";
        // Hours, minutes and seconds are each the whole elapsed time in that unit.
        const elapsed = Math.max(0, now - Math.floor(remainingTime));
        return Math.floor(elapsed / 3600) + ":" + Math.floor(elapsed / 60) + ":" + elapsed;
    }

    readonly property bool transferring: (status === 1 || status === 2) && speed > 0
    readonly property string speedText: {
        if (!transferring)
            return "";
        const units = ["B/s", "KB/s", "MB/s", "GB/s"];
        let value = speed;
        let unit = 0;
        while (value >= 1024 && unit < units.length - 1) {
            value /= 1024;
            ++unit;
        }
        const shown = value.toFixed(value < 10 && unit > 0 ? 1 : 0) + " " + units[unit];
        return remaining >= 0 ? shown + "  剩余 " + clock(remaining) : shown;
    }

    // Whole seconds, so the time text is only rebuilt when it can change.
    property int now: Math.floor(Date.now() / 1000)

    function clock(seconds) {
        const s = Math.round(seconds);
        const two = n => (n < 10 ? "0" : "") + n;
        const h = Math.floor(s / 3600);
        return (h > 0 ? h + ":" + two(Math.floor(s / 60) % 60) : Math.floor(s / 60)) + ":" + two(s % 60);
    }

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

    // Wakes once a second, just after the second changes.
    Timer {
        interval: 1000 - Date.now() % 1000 + 5
        repeat: true
        running: !row.finished && row.remainingTime !== 0
        onTriggered: {
            row.now = Math.floor(Date.now() / 1000);
            interval = 1000 - Date.now() % 1000 + 5;
        }
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
            objectName: "speed"
            visible: row.transferring
            text: row.speedText
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

        HusButton {
            objectName: "action"
            readonly property bool retry: row.finished && row.error
            visible: retry || !row.finished
            text: retry ? "重试" : "取消"
            type: retry ? HusButton.Type_Primary : HusButton.Type_Default
            implicitHeight: 30
            Layout.rightMargin: 5
            onClicked: retry ? row.retryClicked() : row.cancelClicked()
        }
    }
}
