import QtQuick 2.15
import HuskarUI.Basic 1.0

// Transient notices stacked under each other, centred in the item's width.
// Each leaves by itself after its duration (milliseconds; 0 keeps it until
// close(key) is called).
Item {
    id: control

    enum Type {
        Type_None,
        Type_Success,
        Type_Warning,
        Type_Message,
        Type_Error,
        Type_Loading
    }

    property bool animationEnabled: HusTheme.animationEnabled
    property int defaultDuration: 3000
    property int messageSpacing: 8
    property int topMargin: 10
    property color colorBg: HusTheme.Primary.colorBgElevated
    property color colorText: HusTheme.Primary.colorTextBase
    property int radiusBg: HusTheme.Primary.radiusPrimaryLG
    readonly property int count: notices.count

    signal messageClosed(string key, string message)

    function success(message, duration) { return open({ message: message, type: HusMessage.Type_Success, duration: duration }); }
    function error(message, duration) { return open({ message: message, type: HusMessage.Type_Error, duration: duration }); }
    function warning(message, duration) { return open({ message: message, type: HusMessage.Type_Warning, duration: duration }); }
    function info(message, duration) { return open({ message: message, type: HusMessage.Type_Message, duration: duration }); }
    function loading(message, duration) { return open({ message: message, type: HusMessage.Type_Loading, duration: duration }); }

    // Opens a notice; object: {message, type, duration, key}. Returns its key.
    // A notice with the key of one already shown replaces its text and type.
    function open(object) {
        const key = object.key !== undefined && object.key !== null ? String(object.key) : "msg" + (++__serial);
        const entry = {
            key: key,
            message: object.message === undefined || object.message === null ? "" : String(object.message),
            type: object.type === undefined ? HusMessage.Type_Message : object.type,
            duration: object.duration === undefined || object.duration === null ? defaultDuration : object.duration
        };
        entry.expiry = entry.duration > 0 ? Date.now() + entry.duration : 0;
        for (let i = 0; i < notices.count; ++i) {
            if (notices.get(i).key === key) {
                notices.set(i, entry);
                return key;
            }
        }
        notices.append(entry);
        return key;
    }

    function close(key) {
        for (let i = 0; i < notices.count; ++i) {
            if (notices.get(i).key === key) {
                const message = notices.get(i).message;
                notices.remove(i);
                messageClosed(key, message);
                return true;
            }
        }
        return false;
    }

    function clear() {
        notices.clear();
    }

    // The text and type of the notice at index, oldest first.
    function get(index) {
        return index >= 0 && index < notices.count ? notices.get(index) : undefined;
    }

    property int __serial: 0

    implicitHeight: column.height + topMargin

    ListModel { id: notices }

    // One clock for all notices: a notice removed from inside its own
    // delegate's handler takes the rest of the list with it.
    Timer {
        running: notices.count > 0
        interval: 100
        repeat: true
        onTriggered: {
            const now = Date.now();
            for (let i = notices.count - 1; i >= 0; --i) {
                const notice = notices.get(i);
                if (notice.expiry > 0 && notice.expiry <= now)
                    control.close(notice.key);
            }
        }
    }

    Column {
        id: column
        y: control.topMargin
        width: control.width
        spacing: control.messageSpacing

        move: Transition {
            enabled: control.animationEnabled
            NumberAnimation { properties: "y"; duration: HusTheme.Primary.durationMid }
        }

        Repeater {
            model: notices

            delegate: Item {
                id: notice

                readonly property string key: model.key
                readonly property string message: model.message
                readonly property int type: model.type

                readonly property var __icon: {
                    switch (type) {
                    case HusMessage.Type_Success: return HusIcon.CheckCircleFilled;
                    case HusMessage.Type_Warning: return HusIcon.ExclamationCircleFilled;
                    case HusMessage.Type_Error: return HusIcon.CloseCircleFilled;
                    case HusMessage.Type_Loading: return HusIcon.LoadingOutlined;
                    case HusMessage.Type_Message: return HusIcon.InfoCircleFilled;
                    default: return 0;
                    }
                }
                readonly property color __iconColor: {
                    switch (type) {
                    case HusMessage.Type_Success: return HusTheme.Primary.colorSuccess;
                    case HusMessage.Type_Warning: return HusTheme.Primary.colorWarning;
                    case HusMessage.Type_Error: return HusTheme.Primary.colorError;
                    default: return HusTheme.Primary.colorInfo;
                    }
                }

                anchors.horizontalCenter: parent ? parent.horizontalCenter : undefined
                width: Math.min(bubble.implicitWidth, control.width - 20)
                height: bubble.implicitHeight
                opacity: 0

                Component.onCompleted: opacity = 1
                Behavior on opacity { enabled: control.animationEnabled; NumberAnimation { duration: HusTheme.Primary.durationMid } }

                HusShadow {
                    anchors.fill: bubble
                    radius: bubble.radius
                    spread: 6
                }

                Rectangle {
                    id: bubble
                    width: parent.width
                    height: parent.height
                    implicitWidth: row.implicitWidth + 24
                    implicitHeight: Math.max(40, text.implicitHeight + 18)
                    radius: control.radiusBg
                    color: control.colorBg
                    border.width: HusTheme.isDark ? 1 : 0
                    border.color: HusTheme.Primary.colorBorderSecondary

                    Row {
                        id: row
                        anchors.centerIn: parent
                        spacing: 8

                        HusIconText {
                            id: icon
                            anchors.verticalCenter: parent.verticalCenter
                            iconSource: notice.__icon
                            iconSize: 16
                            colorIcon: notice.__iconColor

                            RotationAnimation on rotation {
                                running: notice.type === HusMessage.Type_Loading
                                from: 0
                                to: 360
                                loops: Animation.Infinite
                                duration: 1000
                            }
                        }

                        Text {
                            id: text
                            objectName: "husMessageText"
                            anchors.verticalCenter: parent.verticalCenter
                            width: Math.min(implicitWidth, control.width - 68)
                            text: notice.message
                            wrapMode: Text.Wrap
                            font.family: HusTheme.Primary.fontPrimaryFamily
                            font.pixelSize: HusTheme.Primary.fontPrimarySize
                            color: control.colorText
                            renderType: Text.NativeRendering
                        }
                    }
                }
            }
        }
    }
}
