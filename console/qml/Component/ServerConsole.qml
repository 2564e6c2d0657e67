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
        (screen.height - output.topPadding - output.bottomPadding) / metrics.lineSpacing))

    // Every line kept, also those scrolled out of the view.
    function plainText() {
        return terminal.plainText();
    }

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
        if (output.width > 0 && screen.height > 0)
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
        // A line more at each edge: the screen may cut one.
        windowLines: root.rows + 2
        windowCharacters: (root.rows + 2) * root.columns
        frozen: output.selectionStart !== output.selectionEnd
    }

    FontMetrics {
        id: metrics
        font: output.font
        // What remote programs print is mostly letters and digits.
        readonly property real characterWidth: advanceWidth("abcdefghijklmnopqrstuvwxyz0123456789") / 36
    }

    // The text area holds only the window of lines TerminalDocument gives it:
    // the newest ones stand at the bottom, lines scrolled to at the top.
    Rectangle {
        id: screen
        anchors.fill: parent
        anchors.margins: 10
        anchors.bottomMargin: 46
        color: HusTheme.isDark ? "#2d2d2d" : "#f5f5f5"
        radius: 4
        clip: true

        TextArea {
            id: output
            width: parent.width - bar.width
            y: terminal.following ? Math.min(0, screen.height - height) : 0
            readOnly: true
            selectByMouse: true
            textFormat: TextEdit.RichText
            wrapMode: TextEdit.WrapAnywhere
            font.pixelSize: 14
            font.family: HusTheme.Primary.fontPrimaryFamily
            color: HusTheme.Primary.colorTextBase
            background: null
        }

        HusScrollBar {
            id: bar
            anchors.top: parent.top
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            orientation: Qt.Vertical
            size: Math.min(1, terminal.windowLines / Math.max(1, terminal.lineCount))
            position: terminal.firstLine / Math.max(1, terminal.lineCount)
            // Later: the position follows the window, and must not while it changes.
            onPositionChanged: {
                if (pressed)
                    Qt.callLater(root.scrollTo, Math.round(position * terminal.lineCount));
            }
        }

        WheelHandler {
            // Three lines a notch.
            onWheel: function (event) {
                root.scrollTo(terminal.firstLine - Math.round(event.angleDelta.y / 40));
            }
        }
    }

    // A selection holds the view still; moving it lets go of the selection.
    function scrollTo(line) {
        output.deselect();
        terminal.scrollTo(line);
    }

    HusInput {
        id: input
        width: screen.width
        anchors.top: screen.bottom
        anchors.topMargin: 6
        anchors.horizontalCenter: screen.horizontalCenter
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
