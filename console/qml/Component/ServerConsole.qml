import QtQuick 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0
import SSHManager 1.0
import TerminalDocument 1.0

// The terminal view of the shared SSH shell: everything SSHManager reports,
// with ANSI colours turned into spans, and a command line under it. It never
// opens or closes a session itself; the page that embeds it does.
Item {
    id: root

    readonly property alias outputArea: output
    readonly property alias commandInput: input
    // Lines kept; older ones go from the top.
    property alias maximumLines: terminal.maximumLines
    // The view's size in characters, given to the remote shell's terminal so
    // remote programs wrap where the view wraps.
    readonly property int columns: Math.max(1, Math.floor(
        (output.width - output.leftPadding - output.rightPadding) / metrics.characterWidth))
    readonly property int rows: Math.max(1, Math.floor(
        (scroll.height - output.topPadding - output.bottomPadding) / metrics.lineSpacing))

    // Nothing to add here: the manager writes its own green line into the stream.
    function connectionSuccess() {
    }

    function connectionFailed(error) {
        appendLine("连接服务器失败" + error);
    }

    function updateStatus(msg) {
        appendLine(msg);
    }

    function disconnected() {
        appendLine("服务器断开连接");
    }

    // Output that starts a line is marked as the shell's; output that goes on
    // with a line (a progress bar, a prompt's echo) continues it.
    function appendOutput(msg) {
        terminal.write(msg, "> ");
    }

    // The console's own lines stand on a line of their own, whatever the shell
    // left unfinished.
    function appendLine(text) {
        terminal.write((terminal.atLineStart() ? "" : "\n") + text + "\n");
    }

    function sendTerminalSize() {
        if (output.width > 0 && scroll.height > 0)
            SSHManager.setTerminalSize(columns, rows);
    }

    onColumnsChanged: sendTerminalSize()
    onRowsChanged: sendTerminalSize()

    Component.onCompleted: {
        SSHManager.connectionSuccess.connect(connectionSuccess);
        SSHManager.connectionFailed.connect(connectionFailed);
        SSHManager.statusMessage.connect(updateStatus);
        SSHManager.disconnected.connect(disconnected);
        SSHManager.shellOutput.connect(appendOutput);
        terminal.write("控制台已就绪...\n");
        sendTerminalSize();
    }

    Component.onDestruction: {
        SSHManager.connectionSuccess.disconnect(connectionSuccess);
        SSHManager.connectionFailed.disconnect(connectionFailed);
        SSHManager.statusMessage.disconnect(updateStatus);
        SSHManager.disconnected.disconnect(disconnected);
        SSHManager.shellOutput.disconnect(appendOutput);
        console.log("窗口关闭，已断开所有信号连接并清理资源。");
    }

    TerminalDocument {
        id: terminal
        document: output.textDocument
        dark: HusTheme.isDark
    }

    FontMetrics {
        id: metrics
        font: output.font
        // What remote programs print is mostly letters and digits.
        readonly property real characterWidth: advanceWidth("abcdefghijklmnopqrstuvwxyz0123456789") / 36
    }

    ScrollView {
        id: scroll
        anchors.fill: parent
        anchors.margins: 10
        anchors.bottomMargin: 46
        clip: true

        TextArea {
            id: output
            readOnly: true
            selectByMouse: true
            textFormat: TextEdit.RichText
            wrapMode: TextEdit.WrapAnywhere
            font.pixelSize: 14
            font.family: HusTheme.Primary.fontPrimaryFamily
            color: HusTheme.Primary.colorTextBase
            background: Rectangle {
                color: HusTheme.isDark ? "#2d2d2d" : "#f5f5f5"
                radius: 4
            }

            // Keeps the newest text in view, unless the operator is selecting
            // something to copy.
            onTextChanged: {
                if (length > 0 && selectionStart === selectionEnd)
                    cursorPosition = length;
            }
        }
    }

    HusInput {
        id: input
        width: scroll.width
        anchors.top: scroll.bottom
        anchors.topMargin: 6
        anchors.horizontalCenter: scroll.horizontalCenter
        iconSource: HusIcon.ForwardOutlined
        iconPosition: HusInput.Position_Left
        placeholderText: "这里可以输入服务器命令"

        onAccepted: {
            SSHManager.sendInput(text);
            clear();
        }

        // Not consumed: the field's own Ctrl+C (copy) still runs.
        Keys.onPressed: function (event) {
            if (event.key === Qt.Key_C && (event.modifiers & Qt.ControlModifier))
                SSHManager.sendInput("\x03");
            event.accepted = false;
        }
    }
}
