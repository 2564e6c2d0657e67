import QtQuick 2.15
import QtTest 1.15
import SSHManager 1.0
import "qrc:/Component"

Item {
    id: root
    width: 800
    height: 500

    Component {
        id: consoleComponent
        ServerConsole {
            anchors.fill: parent
        }
    }

    TestCase {
        name: "ServerConsole"
        when: windowShown

        property var view

        function init() {
            view = createTemporaryObject(consoleComponent, root);
            verify(view);
        }

        // What the operator sees: every append is a paragraph of its own, and
        // paragraph and line breaks both read as line feeds; trailing blanks go.
        function shown() {
            return view.outputArea.getText(0, view.outputArea.length)
                .replace(/[\u2028\u2029]/g, "\n").replace(/ +\n/g, "\n").replace(/\s+$/, "");
        }

        function test_ansiToHtml_data() {
            return [
                { tag: "bold blue with leading zero", input: "\x1b[01;34mdir\x1b[0m",
                  expected: '<span style="font-weight:bold;color:blue">dir</span>' },
                { tag: "bold red", input: "\x1b[1;31mx", expected: '<span style="font-weight:bold;color:red">x' },
                { tag: "italic underline background", input: "\x1b[3;4;40my",
                  expected: '<span style="font-style:italic;text-decoration:underline;background-color:black">y' },
                { tag: "reset first loses the colour", input: "\x1b[0;32mok", expected: "</span>ok" },
                { tag: "reset after a style drops it", input: "\x1b[1;0mok", expected: "</span>ok" },
                { tag: "empty parameters removed", input: "a\x1b[mb", expected: "ab" },
                { tag: "unknown codes removed", input: "\x1b[38;5;196mx", expected: "x" },
                { tag: "title ended by BEL", input: "\x1b]0;kxt@vm: ~\x07$ ", expected: "$ " },
                { tag: "title ended by ESC backslash", input: "\x1b]2;t\x1b\\rest", expected: "rest" },
                { tag: "text between two titles stays", input: "\x1b]0;a\x1b\\keep\x1b]0;b\x1b\\", expected: "keep" },
                { tag: "mode switch removed", input: "\x1b[?1034h", expected: "" },
                { tag: "mode switch before a name", input: "\x1b[?1034hkxt@vm", expected: "kxt@vm" },
                { tag: "line clearing removed", input: "a\x1b[Kb", expected: "ab" },
                { tag: "screen clearing stays", input: "\x1b[2J", expected: "\x1b[2J" },
                { tag: "plain text untouched", input: "R&D <x>", expected: "R&D <x>" }
            ];
        }

        function test_ansiToHtml(data) {
            compare(view.ansiToHtml(data.input), data.expected);
        }

        function test_appendOutput_data() {
            return [
                { tag: "coloured name", chunk: "\x1b[01;34mdir\x1b[0m", shown: "> dir",
                  html: /font-weight:600; color:#0000ff;">dir</ },
                { tag: "markup shown literally", chunk: "<b>x</b>", shown: "> <b>x</b>", html: /&lt;b&gt;x/ },
                { tag: "line feed breaks the line", chunk: "a\nb", shown: "> a\nb", html: /a<br \/>b/ },
                { tag: "reset loses the green", chunk: "\x1b[0;32mok", shown: "> ok", html: /^(?![\s\S]*#008000)/ },
                { tag: "red error line", chunk: "\x1b[31m连接异常断开\x1b[0m\r\n", shown: "> 连接异常断开",
                  html: /color:#ff0000;">连接异常断开/ },
                { tag: "green connected line", chunk: "\x1b[32m已连接到服务器，开始交互会话...\x1b[0m\r\n",
                  shown: "> 已连接到服务器，开始交互会话...", html: /color:#008000;">已连接到服务器/ },
                { tag: "prompt with title", chunk: "\x1b]0;t\x07$ ", shown: "> $", html: /&gt; \$/ }
            ];
        }

        function test_appendOutput(data) {
            compare(shown(), "控制台已就绪...");
            view.appendOutput(data.chunk);
            compare(shown(), "控制台已就绪...\n" + data.shown);
            verify(data.html.test(view.outputArea.text), view.outputArea.text);
        }

        function test_chunks_append_and_cursor_follows() {
            for (let i = 0; i < 40; ++i)
                view.appendOutput("line " + i + "\n");
            const text = shown();
            verify(text.indexOf("> line 0\n\n> line 1\n") > 0);
            verify(text.indexOf("> line 39") > 0);
            compare(view.outputArea.cursorPosition, view.outputArea.length);
        }

        // Driven by the real manager; nothing needs to be open for these.
        function test_manager_signals_reach_the_view() {
            SSHManager.disconnectFromServer();
            compare(shown(), "控制台已就绪...\n服务器断开连接\n已断开与服务器的连接");
            SSHManager.sendInput("ls");
            verify(shown().indexOf("> 错误：连接未建立") > 0);
            view.connectionFailed("账号或密码错误！请检查！");
            verify(shown().endsWith("\n连接服务器失败账号或密码错误！请检查！"));
        }

        function test_destroyed_view_stops_listening() {
            const other = createTemporaryObject(consoleComponent, root);
            const before = shown();
            other.destroy();
            wait(0);
            SSHManager.disconnectFromServer();
            compare(shown(), before + "\n服务器断开连接\n已断开与服务器的连接");
        }

        // Enter sends the line and clears the field; Ctrl+C sends code 3. The
        // remote side dumps the raw bytes it receives: 03 0a from Ctrl+C, 0a
        // from Enter on an empty line.
        function test_enter_and_ctrl_c_reach_the_shell() {
            const sshd = fixture.sshd;
            verify(sshd, "the sshd fixture is running");
            SSHManager.connectAndStartShell(sshd.host, String(sshd.port), sshd.user, sshd.password);
            tryVerify(function () { return shown().indexOf("已连接到服务器") >= 0; }, 15000);

            const input = view.commandInput;
            input.forceActiveFocus();
            input.text = "stty raw -echo; echo ready_$((2+3)); od -An -tx1 -N3; stty sane";
            keyClick(Qt.Key_Return);
            compare(input.text, "");
            tryVerify(function () { return shown().indexOf("ready_5") >= 0; }, 10000);

            input.text = "kept";
            keyClick(Qt.Key_C, Qt.ControlModifier);
            compare(input.text, "kept");
            input.text = "";
            keyClick(Qt.Key_Return);
            tryVerify(function () { return /03 0a 0a/.test(shown()); }, 10000);
            SSHManager.disconnectFromServer();
        }
    }
}
