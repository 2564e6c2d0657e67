import QtQuick 2.15
import QtQuick.Window 2.15
import HuskarUI.Basic 1.0
import SSHManager 1.0
import "../MyGlobals" 1.0
import "../Component"

// Registers a server with the account, for a new server (mode 0) and for a listed
// one whose details were corrected (mode 1). The details are not trusted as
// entered: the window logs in over SSH, installs the server gateway through the
// shell and only registers the server once the installer reports success.
HusWindow {
    id: addWindow
    objectName: "addServerWindow"

    property string serverIP: ""
    property string serverPort: "22"
    property string serverUsername: "root"
    property string serverPassword: ""
    property int mode: 0
    // 0 editing, 1 working (SSH login and gateway installation running).
    property int state: 0

    readonly property string successMarker: "Tolvaren_Service_Success"
    // The shell's output since the last line feed: the stream is cut into chunks
    // anywhere, so the marker is looked for in whole lines.
    property string pendingLine: ""
    readonly property int longestLine: 65536

    width: 560
    height: 580
    visible: true
    title: "新增服务器"
    captionBar.topButtonVisible: true
    captionBar.winIconDelegate: Image {
        source: "qrc:/image/logo.png"
        width: 20
        height: 20
        sourceSize: Qt.size(40, 40)
        mipmap: true
    }

    // Single quotes keep whatever the service address holds from becoming shell syntax.
    function shellQuote(text) {
        return "'" + text.replace(/'/g, "'\\''") + "'";
    }

    function installerCommand() {
        return "curl -O -k " + shellQuote(GlobalVars.server_url + "/quenta/download/sh") + ";chmod +x sh;./sh";
    }

    function initServer() {
        SSHManager.connectAndStartShell(serverIP, serverPort, serverUsername, serverPassword);
    }

    function submit() {
        state = 1;
        pendingLine = "";
        initServer();
    }

    // The shell is shared by every page: only the attempt this window started is its own.
    function connectionSuccess() {
        if (state !== 1)
            return;
        SSHManager.sendInput(installerCommand());
        GlobalVars.notify("info", "请耐心等待服务器初始化!");
    }

    function connectionFailed(error) {
        if (state !== 1)
            return;
        GlobalVars.notify("error", "连接服务器失败,请检查您填写的信息!");
        state = 0;
        hostKeyPrompt.offer(serverIP, serverPort, submit);
    }

    // A line holding "echo" is the terminal repeating a command that prints the
    // marker, not the installer's own report.
    function consoleOutput(msg) {
        if (state !== 1)
            return;
        const lines = (pendingLine + msg).split("\n");
        pendingLine = lines.pop().slice(-longestLine);
        if (lines.some(line => line.indexOf(successMarker) !== -1 && line.indexOf("echo") === -1))
            registered();
    }

    function registered() {
        GlobalVars.addServer({
            ip: serverIP,
            port: serverPort,
            username: serverUsername,
            password: serverPassword
        });
        GlobalVars.notify("success", "新增服务器成功");
        state = 0;
        close();
    }

    Component.onCompleted: {
        SSHManager.connectionSuccess.connect(connectionSuccess);
        SSHManager.connectionFailed.connect(connectionFailed);
        SSHManager.shellOutput.connect(consoleOutput);
    }

    Component.onDestruction: {
        SSHManager.connectionSuccess.disconnect(connectionSuccess);
        SSHManager.connectionFailed.disconnect(connectionFailed);
        SSHManager.shellOutput.disconnect(consoleOutput);
    }

    Shortcut {
        sequence: "Esc"
        onActivated: addWindow.close()
    }

    Column {
        id: form
        width: parent.width * 0.8
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 20

        // Room for the caption bar.
        Item {
            width: 30
            height: 30
        }

        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 15

            Image {
                width: 30
                height: 30
                source: "qrc:/image/logo.png"
                sourceSize: Qt.size(60, 60)
                mipmap: true
            }

            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "登记您的服务器信息"
                font.pixelSize: 20
                font.family: HusTheme.Primary.fontPrimaryFamily
                color: HusTheme.Primary.colorTextBase
            }
        }

        ServerField {
            objectName: "ipInput"
            placeholderText: "请输入 IP 地址"
            iconSource: HusIcon.HddOutlined
            text: addWindow.serverIP
            onTextEdited: addWindow.serverIP = text
        }

        ServerField {
            objectName: "portInput"
            placeholderText: "请输入端口号"
            iconSource: HusIcon.GoldOutlined
            validator: IntValidator {
                bottom: 0
                top: 65535
            }
            text: addWindow.serverPort
            onTextEdited: addWindow.serverPort = text === "" ? "0" : String(parseInt(text, 10))
        }

        ServerField {
            objectName: "userInput"
            placeholderText: "请输入服务器用户名"
            iconSource: HusIcon.UserOutlined
            text: addWindow.serverUsername
            onTextEdited: addWindow.serverUsername = text
        }

        ServerField {
            objectName: "passwordInput"
            placeholderText: "请输入服务器密码"
            iconSource: HusIcon.LockFilled
            text: addWindow.serverPassword
            onTextEdited: addWindow.serverPassword = text
        }

        Item {
            width: parent.width
            height: 32

            HusButton {
                objectName: "submitButton"
                anchors.centerIn: parent
                visible: addWindow.state === 0
                type: HusButton.Type_Primary
                text: addWindow.mode === 0 ? "添加" : addWindow.mode === 1 ? "修改" : "未知"
                onClicked: addWindow.submit()
            }

            BusyIndicator {
                objectName: "workingSpinner"
                anchors.centerIn: parent
                visible: addWindow.state === 1
                color: "#FF5722"
                size: 18
                duration: 12000
            }
        }
    }

    Rectangle {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 10
        height: 200
        color: "transparent"
        radius: 8
        border.width: 3
        border.color: HusTheme.isDark ? "#23272e" : "#f0f4f7"

        ServerConsole {
            objectName: "serverConsole"
            anchors.fill: parent
        }
    }

    HostKeyPrompt {
        id: hostKeyPrompt
    }

    component ServerField: HusInput {
        id: field
        width: form.width * 0.6
        anchors.horizontalCenter: parent.horizontalCenter
        readOnly: addWindow.state === 1

        HusToolTip {
            visible: field.hovered
            arrowVisible: true
            position: HusToolTip.Position_Right
            text: field.placeholderText
        }
    }
}
