import QtQuick 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0
import SSHManager 1.0

// The terminal view of the shared SSH shell: everything SSHManager reports,
// with ANSI colours turned into spans, and a command line under it. It never
// opens or closes a session itself; the page that embeds it does.
Item {
    id: root

    readonly property alias outputArea: output
    readonly property alias commandInput: input

    // Nothing to add here: the manager writes its own green line into the stream.
    function connectionSuccess() {
    }

    function connectionFailed(error) {
        append("连接服务器失败" + error + "\n");
    }

    function updateStatus(msg) {
        append(msg + "\n");
    }

    function disconnected() {
        append("服务器断开连接\n");
    }

    function appendOutput(msg) {
        const escaped = msg.replace(/</g, "&lt;").replace(/>/g, "&gt;").replace(/\n/g, "<br>");
        append(ansiToHtml("> " + escaped));
    }

    function ansiToHtml(text) {
        const styles = {
            1: "font-weight:bold",
            3: "font-style:italic",
            4: "text-decoration:underline",
            30: "color:black",
            31: "color:red",
            32: "color:green",
            33: "color:yellow",
            34: "color:blue",
            35: "color:magenta",
            36: "color:cyan",
            37: "color:white",
            40: "background-color:black"
        };
        // Spans are not balanced: every colour sequence opens one, only a reset closes one.
        let html = text.replace(/\x1b\[([0-9;]*)m/g, function (match, params) {
            const collected = [];
            const pieces = params.split(";");
            for (let i = 0; i < pieces.length; ++i) {
                if (pieces[i] === "")
                    continue;
                const code = Number(pieces[i]);
                if (code === 0)
                    return "</span>";
                if (styles[code] !== undefined)
                    collected.push(styles[code]);
            }
            return collected.length > 0 ? '<span style="' + collected.join(";") + '">' : "";
        });
        // Window titles, each ended by its first BEL or ESC backslash, so the
        // text between two titles stays.
        html = html.replace(/\x1b\][^\x07]*?(\x07|\x1b\\)/g, "");
        // Terminal modes and line clearing, each ended by its first letter, so
        // the text after it stays whole; other sequences stay visible.
        return html.replace(/\x1b\[[0134h;?]*?[A-Za-z]/g, "");
    }

    // What is appended starts a paragraph of its own, as if the whole text
    // were set again with the piece after it; adding only the paragraph keeps
    // the cost of an append independent of the text already shown.
    function append(html) {
        output.append(html);
    }

    Component.onCompleted: {
        SSHManager.connectionSuccess.connect(connectionSuccess);
        SSHManager.connectionFailed.connect(connectionFailed);
        SSHManager.statusMessage.connect(updateStatus);
        SSHManager.disconnected.connect(disconnected);
        SSHManager.shellOutput.connect(appendOutput);
        output.text = "控制台已就绪...\n";
    }

    Component.onDestruction: {
        SSHManager.connectionSuccess.disconnect(connectionSuccess);
        SSHManager.connectionFailed.disconnect(connectionFailed);
        SSHManager.statusMessage.disconnect(updateStatus);
        SSHManager.disconnected.disconnect(disconnected);
        SSHManager.shellOutput.disconnect(appendOutput);
        console.log("窗口关闭，已断开所有信号连接并清理资源。");
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

            // Keeps the newest text in view.
            onTextChanged: {
                if (length > 0)
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
