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

    // The whole selection, also the lines scrolled out of the view.
    function copy() {
        const text = terminal.selectedText();
        if (text !== "")
            HusApi.setClipboardText(text);
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
        // The text area shows the part of the selection its window holds.
        onSelectionChanged: output.select(selectionStart, selectionEnd)
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
            // The mouse selects through TerminalDocument, which keeps the
            // selection while the window moves.
            selectByMouse: false
            persistentSelection: true
            selectionColor: HusTheme.Primary.colorPrimary
            selectedTextColor: "#ffffff"
            textFormat: TextEdit.RichText
            wrapMode: TextEdit.WrapAnywhere
            font.pixelSize: 14
            font.family: HusTheme.Primary.fontPrimaryFamily
            color: HusTheme.Primary.colorTextBase
            background: null

            Keys.onPressed: function (event) {
                if (event.matches(StandardKey.Copy))
                    root.copy();
                else if (event.matches(StandardKey.SelectAll))
                    terminal.selectAll();
                else
                    return;
                event.accepted = true;
            }
        }

        MouseArea {
            id: pointer
            width: output.width
            height: parent.height
            acceptedButtons: Qt.LeftButton | Qt.RightButton
            cursorShape: Qt.IBeamCursor
            readonly property bool selecting: pressedButtons & Qt.LeftButton

            // Above or below the screen: its top or bottom row.
            function positionAt(x, y) {
                return output.positionAt(x, Math.max(0, Math.min(y, height - 1)) - output.y);
            }

            onPressed: function (mouse) {
                output.forceActiveFocus();
                if (mouse.button === Qt.RightButton)
                    menu.popup(mouse.x, mouse.y);
                else
                    terminal.beginSelection(positionAt(mouse.x, mouse.y));
            }
            onPositionChanged: function (mouse) {
                if (selecting)
                    terminal.extendSelection(positionAt(mouse.x, mouse.y));
            }
            onReleased: function (mouse) {
                if (mouse.button === Qt.LeftButton)
                    terminal.endSelection();
            }

            // Held beyond an edge, a selection scrolls the view on, the faster
            // the further out.
            Timer {
                readonly property real beyond: !pointer.selecting ? 0 : pointer.mouseY < 0
                    ? pointer.mouseY : Math.max(0, pointer.mouseY - pointer.height)
                interval: 50
                repeat: true
                running: beyond !== 0
                onTriggered: {
                    const lines = 1 + Math.floor(Math.abs(beyond) / metrics.lineSpacing);
                    terminal.scrollTo(terminal.firstLine + (beyond < 0 ? -lines : lines));
                    terminal.extendSelection(pointer.positionAt(pointer.mouseX, pointer.mouseY));
                }
            }

            HusPopup {
                id: menu
                padding: 4

                function popup(x, y) {
                    menu.x = x;
                    menu.y = y;
                    open();
                }

                HusButton {
                    text: "复制"
                    type: HusButton.Type_Text
                    enabled: terminal.selecting
                    onClicked: {
                        root.copy();
                        menu.close();
                    }
                }
            }
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
                    Qt.callLater(terminal.scrollTo, Math.round(position * terminal.lineCount));
            }
        }

        WheelHandler {
            // Three lines a notch.
            onWheel: function (event) {
                terminal.scrollTo(terminal.firstLine - Math.round(event.angleDelta.y / 40));
            }
        }
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
