import QtQuick 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0
import SSHManager 1.0

// Shown when a server's host key is no longer the one recorded: names the new
// key's fingerprint, and only on the operator's word records that key for the
// address and tries again (retry). The fingerprint is the one SSHManager
// refused, never whatever the next attempt meets.
HusPopup {
    id: prompt
    objectName: "hostKeyPrompt"

    property string ip
    property string port
    property string fingerprint
    property var retry: function () {}

    // Opens when the failure just reported was a changed host key.
    function offer(ip, port, retry) {
        if (SSHManager.changedHostKey === "")
            return false;
        prompt.ip = ip;
        prompt.port = port;
        prompt.retry = retry;
        fingerprint = SSHManager.changedHostKey;
        open();
        return true;
    }

    parent: Overlay.overlay
    x: parent ? (parent.width - width) / 2 : 0
    y: parent ? (parent.height - height) / 2 : 0
    width: Math.min(460, parent ? parent.width - 20 : 460)
    modal: true
    closePolicy: Popup.CloseOnEscape
    padding: 20

    contentItem: Column {
        spacing: 14

        Text {
            width: prompt.availableWidth
            wrapMode: Text.Wrap
            text: "服务器主机密钥已改变，可能存在中间人攻击！"
            font.family: HusTheme.Primary.fontPrimaryFamily
            font.pixelSize: 15
            color: HusTheme.isDark ? "#ff6b6b" : "#cf1322"
        }

        TextEdit {
            objectName: "fingerprintText"
            width: prompt.availableWidth
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.WrapAnywhere
            text: prompt.ip + ":" + prompt.port + "\n" + prompt.fingerprint
            font.family: "monospace"
            font.pixelSize: 13
            color: HusTheme.Primary.colorTextBase
        }

        Row {
            anchors.right: parent.right
            spacing: 10

            HusButton {
                objectName: "cancelTrustButton"
                text: "取消"
                onClicked: prompt.close()
            }

            HusButton {
                objectName: "trustButton"
                type: HusButton.Type_Primary
                text: "信任新的主机密钥"
                onClicked: {
                    prompt.close();
                    if (SSHManager.trustNewHostKey(prompt.ip, prompt.port))
                        prompt.retry();
                }
            }
        }
    }
}
