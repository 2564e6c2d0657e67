import QtQuick 2.15
import QtTest 1.15
import HuskarUI.Basic 1.0
import SSHManager 1.0

Item {
    id: root
    width: 800
    height: 500

    TestCase {
        name: "ServerConsole"
        when: windowShown

        property var view
        readonly property string ready: "控制台已就绪..."

        function init() {
            view = createTemporaryQmlObject('import "qrc:/Component"; ServerConsole { anchors.fill: parent }', root);
        }

        function cleanup() {
            HusTheme.isDark = false;
            root.width = 800;
            SSHManager.disconnectFromServer();
        }

        // What the operator sees, one line per line; trailing blanks go. The
        // view takes up what was written once the writer's turn is over.
        function shown() {
            wait(0);
            return view.outputArea.getText(0, view.outputArea.length)
                .replace(/[\u2028\u2029]/g, "\n").replace(/ +\n/g, "\n").replace(/\s+$/, "");
        }

        function test_output_data() {
            return [
                { tag: "coloured name", chunks: ["\x1b[01;34mdir\x1b[0m"], shown: "> dir",
                  html: /font-weight:600; color:#0000ff;">dir</ },
                { tag: "markup shown literally", chunks: ["<b>x</b>&amp;"], shown: "> <b>x</b>&amp;" },
                { tag: "CR LF is one break", chunks: ["a\r\n\r\nc\r", "\n"], shown: "> a\n\nc" },
                { tag: "a line goes on on the next past 1024 characters", chunks: ["x".repeat(1000), "x".repeat(30)],
                  shown: "> " + "x".repeat(1022) + "\n" + "x".repeat(8) },
                { tag: "CR keeps what is not overwritten", chunks: ["abcdef\rXY"], shown: "> XYcdef" },
                { tag: "erase to end of line", chunks: ["abcdef\rXY\x1b[K"], shown: "> XY" },
                { tag: "erase whole line", chunks: ["abc\x1b[2K\rok"], shown: "> ok" },
                { tag: "backspace steps back", chunks: ["ab\bc", "\b\x1b[K"], shown: "> a" },
                { tag: "bracketed paste and title dropped", chunks: ["\x1b[?2004h\x1b]0;root@vm: ~\x07$ "],
                  shown: "> $" },
                { tag: "cursor moves and clearing dropped", chunks: ["\x1b[2J\x1b[H\x1b[3;5Hok\x1b=\x1b(B"],
                  shown: "> ok" },
                { tag: "sequence split between chunks", chunks: ["a \x1b[3", "1mred\x1b[0m", " b\x1b]0;t", "\x1b\\"],
                  shown: "> a red b", html: /color:#ff0000;">red<\/span> b/ },
                { tag: "reset then colour keeps the colour", chunks: ["\x1b[0;32mok"], shown: "> ok",
                  html: /color:#008000;">ok/ },
                { tag: "empty parameters reset", chunks: ["\x1b[31mA\x1b[mB"], shown: "> AB",
                  html: /color:#ff0000;">A<\/span>B/ },
                { tag: "256-colour arguments are no codes", chunks: ["\x1b[38;5;31mx"], shown: "> x",
                  html: /^(?![\s\S]*#ff0000)/ },
                // The red begun on a dropped line still colours the kept ones and ends where it ended.
                { tag: "scrollback keeps the newest lines", lines: 4, shown: "red 5\nred 6\nplain",
                  chunks: ["\x1b[31mred 1\nred 2\nred 3\nred 4\nred 5\nred 6\n\x1b[0mplain\n"],
                  html: /color:#ff0000;">red 5<\/span>[\s\S]*<p[^>]*>plain<\/p>/ }
            ];
        }

        function test_output(data) {
            if (data.lines)
                view.maximumLines = data.lines;
            data.chunks.forEach(chunk => view.appendOutput(chunk));
            compare(shown(), data.lines ? data.shown : ready + "\n" + data.shown);
            compare(view.plainText().replace(/ +\n/g, "\n").trim(), shown());
            if (data.html)
                verify(data.html.test(view.outputArea.text), view.outputArea.text);
        }

        function luminance(colour) {
            const linear = c => c <= 0.03928 ? c / 12.92 : Math.pow((c + 0.055) / 1.055, 2.4);
            const c = Qt.lighter(colour, 1);
            return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
        }

        function colours() {
            wait(0);
            const found = view.outputArea.text.match(/color:#[0-9a-f]{6}/g) || [];
            return found.map(function (c) { return c.substr(6); });
        }

        // The light theme keeps the names HTML gives the eight colours; in the
        // dark one every colour reads on the background (contrast 4.5:1), also
        // for text shown before the switch.
        function test_palette_per_theme() {
            view.appendOutput(Array.from({ length: 8 }, (_, i) => "\x1b[" + (30 + i) + "mx").join(""));
            compare(colours(), ["#000000", "#ff0000", "#008000", "#ffff00",
                                "#0000ff", "#ff00ff", "#00ffff", "#ffffff"]);
            HusTheme.isDark = true;
            const dark = colours();
            compare(dark.length, 8);
            const background = luminance("#2d2d2d");
            for (let i = 0; i < dark.length; ++i)
                verify((luminance(dark[i]) + 0.05) / (background + 0.05) >= 4.5, dark[i]);
        }

        function lines() {
            return shown().split("\n");
        }

        // Ctrl+C where the focus is; the clipboard holds what it copied, or nothing.
        function copied() {
            HusApi.setClipboardText("");
            keyClick(Qt.Key_C, Qt.ControlModifier);
            return HusApi.clipboardText();
        }

        // The view holds the newest lines at its bottom edge, all of them kept
        // behind it. A selection dragged past the lower edge scrolls the view
        // on and takes in every line it passes; wheel turns and the oldest
        // lines going leave what is kept of it; new output leaves it and the
        // view as they are until a click lets go of it.
        function test_view_shows_a_window_of_the_kept_lines() {
            view.appendOutput(Array.from({ length: 300 }, (_, i) => "line " + (i + 1) + "\n").join(""));
            const area = view.outputArea;
            const screen = area.parent;
            verify(lines().length < 100, lines().length);
            compare(area.y + area.height, screen.height);
            const plain = view.plainText();
            mouseWheel(screen, 10, 10, 0, 120 * 100);
            const first = area.positionToRectangle(shown().indexOf("> line 1"));
            mousePress(area, first.x, first.y + first.height / 2);
            mouseMove(screen, 20, screen.height + 40, -1, Qt.LeftButton);
            tryVerify(function () { return lines().indexOf("line 60") >= 0; }, 5000);
            mouseMove(screen, screen.width - 30, screen.height - 5, -1, Qt.LeftButton);
            mouseRelease(screen, screen.width - 30, screen.height - 5);
            const last = "\n" + area.selectedText.split("\u2029").pop() + "\n";
            verify(/^\nline \d+\n$/.test(last), last);
            const selected = plain.slice(plain.indexOf("> line 1"), plain.indexOf(last) + last.length - 1);
            compare(copied(), selected);

            mouseWheel(screen, 10, 10, 0, 120);
            verify(area.selectedText && selected.endsWith(area.selectedText.replace(/\u2029/g, "\n")), area.selectedText);
            view.maximumLines = 293;
            const kept = selected.slice(selected.indexOf("line 10\n"));
            mouseWheel(screen, 10, 10, 0, -120 * 100);
            view.appendOutput("more\n");
            compare(copied(), kept);
            compare(lines().slice(-1)[0], "line 300");
            mouseClick(screen, 10, 10);
            compare(lines().slice(-1)[0], "> more");

            // Long lines take rows of their own: fewer of them fill the screen.
            for (let i = 0; i < 100; ++i)
                view.appendOutput("y".repeat(900) + "\n");
            compare(lines().slice(-1)[0], "> " + "y".repeat(900));
            verify(area.length < 2 * (view.rows + 2) * view.columns, area.length);
        }

        // Driven by the real manager; nothing needs to be open for these. The
        // console's own lines stand apart from unfinished shell output.
        function test_manager_signals_reach_the_view() {
            view.appendOutput("$ ");
            SSHManager.disconnectFromServer();
            compare(shown(), ready + "\n> $\n服务器断开连接\n已断开与服务器的连接");
            view.connectionFailed("账号或密码错误！请检查！");
            verify(shown().endsWith("\n连接服务器失败账号或密码错误！请检查！"));
        }

        // Enter sends the line and clears the field; Ctrl+C sends code 3 and
        // the field still copies its own selection. The
        // remote side dumps the raw bytes it receives: 03 0a from Ctrl+C, 0a
        // from Enter on an empty line. Remote programs learn the view's size in
        // characters, and every new one.
        function test_shell() {
            const sshd = fixture.sshd;
            SSHManager.connectAndStartShell(sshd.host, String(sshd.port), sshd.user, sshd.password);
            tryVerify(function () { return shown().indexOf("已连接到服务器") >= 0; }, 15000);
            const input = view.commandInput;
            input.forceActiveFocus();
            input.text = "stty raw -echo; echo ready_$((2+3)); od -An -tx1 -N3; stty sane";
            keyClick(Qt.Key_Return);
            compare(input.text, "");
            tryVerify(function () { return shown().indexOf("ready_5") >= 0; }, 10000);

            input.text = "kept";
            input.selectAll();
            compare(copied(), "kept");
            input.clear();
            keyClick(Qt.Key_Return);
            tryVerify(function () { return /03 0a 0a/.test(shown()); }, 10000);

            for (const width of [800, 520]) {
                root.width = width;
                const expected = view.rows + " " + view.columns;
                verify(shown().indexOf("size_" + expected + "_") < 0, expected);
                SSHManager.sendInput("echo size_$(stty size)_");
                tryVerify(function () { return shown().indexOf("size_" + expected + "_") >= 0; }, 10000,
                          "stty size says " + expected);
            }
        }
    }
}
