import QtQuick 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0
import FileTransfer 1.0
import SSHManager 1.0
import KxtShared 1.0
import "../MyGlobals" 1.0
import "../Component"
import "../Component/windows.js" as Windows
import "../Component/pluginfiles.js" as PluginFiles

// The page of one managed server: its shell, the state of the three components the
// gateway reports, and their installation.
Item {
    id: tabServer
    objectName: "serverPage"

    property string server_ip: "0.0.0.0"
    property string server_port: "22"
    property string server_user: "root"
    property string server_passwd: ""

    // 0 loading, 1 ready (the gateway answered), 2 SSH connection failed.
    property int page_state: 0
    // The ready page's shell was lost; "重新连接" is offered.
    property bool linkLost: false
    // "undefine" (not known yet), "noinstall" or the installed version.
    property string kxt_version_ready: "undefine"
    property string java_p_version_ready: "undefine"
    property string java_version_ready: "undefine"
    // 0 install, 1 update, 2 hidden.
    property int kxtInstallationFlag: 2
    property int javapInstallationFlag: 2
    property int javaInstallationFlag: 2

    property var myPluginsWidow: null
    property var progressobj: null

    // A pressed button stays hidden until a status query finds an update due.
    property bool kxtButtonPressed: false
    property bool javapButtonPressed: false

    // The deployment transfer this page started and is waiting for: its tag ("kxt" or
    // "javap") and whether it is downloading or uploading. Only its progress and its
    // failure concern this page; the queue's transfers for other windows do not.
    property string ownTag: ""
    property string ownPhase: ""
    // True while this page's own transfer call runs: a completion arriving then is
    // that call's refusal or local failure.
    property bool callingTransfer: false
    property bool pageAlive: true

    readonly property string gatewayBase: "http://" + server_ip + ":65170"
    readonly property var refusals: ["已有进行中的下载", "已有进行中的传输"]
    readonly property string clientPackageName: "客户端插件包.zip"
    readonly property var deployments: ({
        kxt: {
            key: "kxt",
            localFile: "download/kx_t.tar",
            downloadedText: "KX-T插件本体下载成功!现在准备上传!",
            uploadedText: "KX-T插件本体上传成功！现在将执行解压操作!在右侧控制台页面出现'KX-T插件解压成功'字样则为安装成功!",
            addRun: true,
            commands: [
                "echo '开始解压KX-T插件'",
                "sudo tar -xvf /quenta/download/kx_t.tar -C /",
                "chmod 777 /kx_t",
                "echo -e \"\\033[32mKX-T插件解压成功\\033[0m\""
            ]
        },
        javap: {
            key: "javap",
            localFile: "download/RT.tar.gz",
            downloadedText: "JAVA插件本体下载成功!现在准备上传!",
            uploadedText: "JAVA插件本体上传成功！现在将执行解压操作!在右侧控制台页面出现'JAVA插件解压成功'字样则为安装成功!",
            addRun: false,
            commands: [
                "echo '开始解压JAVA插件'",
                "sudo rm -rf /java_plugin",
                "sudo mkdir /java_plugin",
                "sudo tar -zxvf /quenta/download/RT.tar.gz -C /java_plugin/",
                // The line feeds inside the quotes make two lines of the start script.
                "grep -q \"cd /java_plugin \n./Restart\" \"/root/run\" || echo \"cd /java_plugin \n./Restart\" >> \"/root/run\" && chmod +x /root/run",
                "echo -e \"\\033[32mJAVA插件解压成功\\033[0m\""
            ]
        }
    })
    readonly property var javaCommands: [
        "yum install -y java",
        "echo -e \"\\033[32mJAVA安装成功\\033[0m\""
    ]
    readonly property var requeryMarkers: ["KX-T插件解压成功", "JAVA插件解压成功", "JAVA安装成功"]

    function init(ip, port, user, passwd) {
        server_ip = ip;
        server_port = port;
        server_user = user;
        server_passwd = passwd;
        SSHManager.connectAndStartShell(server_ip, server_port, server_user, server_passwd);
    }

    function connectionSuccess() {
        linkLost = false;
        GlobalVars.sshConnectServer = server_ip;
        getServerPluginsState();
    }

    function connectionFailed(error) {
        // A failed reconnect keeps the console and its text, with the button to try again.
        if (page_state === 1 && linkLost)
            return;
        page_state = 2;
    }

    // The shell went away under a ready page (a dead link or a closed session).
    function shellDisconnected() {
        if (page_state === 1)
            linkLost = true;
    }

    function reconnect() {
        SSHManager.connectAndStartShell(server_ip, server_port, server_user, server_passwd);
    }

    function consoleOutput(msg) {
        const text = String(msg);
        if (requeryMarkers.some(marker => text.indexOf(marker) >= 0)) {
            getServerPluginsState();
        } else if (text.indexOf("删除插件成功!") >= 0) {
            GlobalVars.getServerPlugins(server_ip);
            GlobalVars.notify("success", "删除插件成功!");
        }
    }

    // Versions are decimal numbers: "1.10" is 1.1, older than "1.9".
    function updateDue(announced, installed) {
        return parseFloat(announced) > parseFloat(installed);
    }

    function applyServerInfo(flag, kind, info) {
        const announced = GlobalVars.all_Version;
        switch (kind) {
        case 0:
            kxt_version_ready = flag ? String(info.ProjectVersion) : "noinstall";
            if (!flag)
                kxtInstallationFlag = 0;
            else if (announced)
                kxtInstallationFlag = updateDue(announced.kxtVer, info.ProjectVersion) ? 1 : 2;
            if (kxtInstallationFlag === 1)
                kxtButtonPressed = false;
            break;
        case 1:
            java_p_version_ready = flag ? String(info.ProjectVersion) : "noinstall";
            if (!flag)
                javapInstallationFlag = 0;
            else if (announced)
                javapInstallationFlag = updateDue(announced.jarVer, info.ProjectVersion) ? 1 : 2;
            if (javapInstallationFlag === 1)
                javapButtonPressed = false;
            break;
        case 2:
            java_version_ready = flag ? String(info.ProjectVersion) : "noinstall";
            javaInstallationFlag = flag ? 2 : 0;
            break;
        case 3:
            page_state = 1;
            break;
        }
    }

    function getServerPluginsState() {
        // Answers may come after the page is gone (another server was picked).
        const page = tabServer;
        GlobalVars.getServerInfo(gatewayBase, function (flag, kind, info) {
            if (page && page.pageAlive)
                page.applyServerInfo(flag, kind, info);
        });
    }

    function sendCommands(commands) {
        commands.forEach(command => SSHManager.sendInput(command));
    }

    function callTransfer(call) {
        callingTransfer = true;
        try {
            call();
        } finally {
            callingTransfer = false;
        }
    }

    function deploy(tag, bar) {
        if (tag === "kxt")
            kxtButtonPressed = true;
        else
            javapButtonPressed = true;
        bar.currentValue = 0;
        bar.visible = true;
        progressobj = bar;
        ownTag = tag;
        ownPhase = "download";
        callTransfer(() => FileTransfer.postDownload(GlobalVars.server_url + "/quenta/download/all",
                                                     deployments[tag].localFile, { key: tag }, tag));
    }

    function deploymentFailed(message) {
        ownTag = "";
        ownPhase = "";
        GlobalVars.notify("error", "错误：" + message);
        if (progressobj)
            progressobj.visible = false;
    }

    function downloaded(tag) {
        const deployment = deployments[tag];
        ownPhase = "upload";
        callTransfer(() => FileTransfer.postUpload(gatewayBase + "/api/uploadfiles", deployment.localFile,
                                                   "/quenta/download/", tag));
        if (ownPhase === "upload")
            GlobalVars.notify("success", deployment.downloadedText);
    }

    function uploaded(tag) {
        const deployment = deployments[tag];
        ownTag = "";
        ownPhase = "";
        if (deployment.addRun)
            GlobalVars.sendPostRequestByIp(gatewayBase, "/api/addrun", {}, function () {});
        sendCommands(deployment.commands);
        GlobalVars.notify("success", deployment.uploadedText);
        if (progressobj)
            progressobj.visible = false;
        if (tag === "kxt")
            kxt_version_ready = "undefine";
        else
            java_p_version_ready = "undefine";
    }

    // The completions of every transfer of the shared service arrive here.
    function transferCompleted(phase, success, message) {
        if (callingTransfer) {
            if (!success)
                deploymentFailed(message);
            return;
        }
        if (ownPhase !== phase)
            return;
        if (success) {
            if (message !== ownTag)
                return;
            if (phase === "download")
                downloaded(message);
            else
                uploaded(message);
        } else if (refusals.indexOf(message) < 0 && (phase === "download" || message === ownTag)) {
            // A refusal here answers another window's call made while ours runs.
            deploymentFailed(message);
        }
    }

    function downloadCompleted(success, message) {
        transferCompleted("download", success, message);
    }

    function uploadCompleted(success, message) {
        transferCompleted("upload", success, message);
    }

    function transferProgress(rate, tag) {
        if (rate !== 0 && progressobj && ownTag !== "" && tag === ownTag)
            progressobj.currentValue = rate * 100;
    }

    function downloadProgressChanged(rate, tag) {
        transferProgress(rate, tag);
    }

    function uploadProgressChanged(rate, tag) {
        transferProgress(rate, tag);
    }

    function installJava() {
        sendCommands(javaCommands);
    }

    function downloadClientPackage(folder) {
        PluginFiles.queuePackageDownload(GlobalVars, FileTransfer, GlobalVars.downlad_quest_window, "通用", folder, clientPackageName);
    }

    function openPluginsWindow() {
        if (!myPluginsWidow) {
            const window = Windows.create(Qt.resolvedUrl("Window_ServerPlugins.qml"), tabServer, function (closed) {
                if (tabServer.myPluginsWidow === closed)
                    tabServer.myPluginsWidow = null;
            });
            if (!window)
                return;
            myPluginsWidow = window;
        }
        if (GlobalVars.main_Window)
            myPluginsWidow.y = GlobalVars.main_Window.y + 90;
        myPluginsWidow.show();
        myPluginsWidow.init(server_ip);
        myPluginsWidow.raise();
    }

    Component.onCompleted: {
        GlobalVars.tab_server = tabServer;
        SSHManager.connectionSuccess.connect(connectionSuccess);
        SSHManager.connectionFailed.connect(connectionFailed);
        SSHManager.shellOutput.connect(consoleOutput);
        SSHManager.disconnected.connect(shellDisconnected);
        FileTransfer.downloadCompleted.connect(downloadCompleted);
        FileTransfer.downloadProgressChanged.connect(downloadProgressChanged);
        FileTransfer.uploadCompleted.connect(uploadCompleted);
        FileTransfer.uploadProgressChanged.connect(uploadProgressChanged);
    }

    Component.onDestruction: {
        pageAlive = false;
        SSHManager.connectionSuccess.disconnect(connectionSuccess);
        SSHManager.connectionFailed.disconnect(connectionFailed);
        SSHManager.shellOutput.disconnect(consoleOutput);
        SSHManager.disconnected.disconnect(shellDisconnected);
        FileTransfer.downloadCompleted.disconnect(downloadCompleted);
        FileTransfer.downloadProgressChanged.disconnect(downloadProgressChanged);
        FileTransfer.uploadCompleted.disconnect(uploadCompleted);
        FileTransfer.uploadProgressChanged.disconnect(uploadProgressChanged);
        if (GlobalVars.tab_server === tabServer)
            GlobalVars.tab_server = null;
    }

    FolderPicker {
        id: folderPicker
        onAccepted: path => tabServer.downloadClientPackage(path)
    }

    Item {
        id: body
        anchors.fill: parent
        anchors.leftMargin: 1

        BusyIndicator {
            objectName: "pageSpinner"
            anchors.centerIn: parent
            visible: tabServer.page_state === 0
            color: "#FF5722"
            size: 32
            duration: 12000
        }

        HusText {
            objectName: "failureText"
            anchors.centerIn: parent
            width: Math.min(implicitWidth, parent.width - 20)
            visible: tabServer.page_state === 2
            text: "连接服务器失败,请前往个人中心,修改账号密码以测试您的服务器连接!"
            font.pixelSize: 24
            font.bold: true
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
            color: HusTheme.Primary.colorTextBase
        }

        // The ready view. The console lives from the start, so that it records the
        // connection; it is only shown once the gateway answered.
        Item {
            id: readyView
            objectName: "readyView"
            anchors.fill: parent
            anchors.margins: 10
            visible: tabServer.page_state === 1

            readonly property color frameColor: HusTheme.isDark ? "#23272e" : "#b8b8b8"

            HusRectangle {
                id: topBar
                width: parent.width
                height: 50
                topLeftRadius: 8
                topRightRadius: 8
                color: "transparent"
                border.width: 1
                border.color: readyView.frameColor

                HusText {
                    id: ipLabel
                    x: 15
                    anchors.verticalCenter: parent.verticalCenter
                    text: "服务器IP:"
                    font.pixelSize: 22
                    font.bold: true
                }

                HusText {
                    objectName: "serverIpText"
                    anchors.left: ipLabel.right
                    anchors.leftMargin: 8
                    anchors.right: pluginsButton.left
                    anchors.rightMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                    text: tabServer.server_ip
                    font.pixelSize: 14
                    elide: Text.ElideRight
                }

                HusButton {
                    id: pluginsButton
                    objectName: "pluginsButton"
                    anchors.right: parent.right
                    anchors.rightMargin: 10
                    anchors.verticalCenter: parent.verticalCenter
                    type: HusButton.Type_Text
                    text: "查看我的服务器插件"
                    onClicked: tabServer.openPluginsWindow()
                }
            }

            HusRectangle {
                id: infoCard
                y: topBar.height - 2
                width: parent.width
                height: 94
                bottomLeftRadius: 8
                bottomRightRadius: 8
                color: "transparent"
                border.width: 1
                border.color: readyView.frameColor

                Repeater {
                    model: [
                        { label: "KX-T插件状态: ", role: "kxt" },
                        { label: "JAVA插件状态: ", role: "javap" },
                        { label: "JAVA版本状态: ", role: "java" }
                    ]

                    delegate: Item {
                        id: statusRow
                        required property var modelData
                        required property int index
                        readonly property string version: modelData.role === "kxt" ? tabServer.kxt_version_ready
                                                        : modelData.role === "javap" ? tabServer.java_p_version_ready
                                                        : tabServer.java_version_ready

                        objectName: "statusRow_" + modelData.role
                        x: 15
                        y: 6 + index * 27
                        width: 180
                        height: 27

                        HusText {
                            id: rowLabel
                            anchors.verticalCenter: parent.verticalCenter
                            text: statusRow.modelData.label
                            font.pixelSize: 16
                            color: HusTheme.Primary.colorTextSecondary
                        }

                        BusyIndicator {
                            objectName: "rowSpinner"
                            anchors.left: rowLabel.right
                            anchors.verticalCenter: parent.verticalCenter
                            visible: statusRow.version === "undefine"
                            color: "#FF5722"
                            size: 18
                            duration: 12000
                        }

                        HusTag {
                            objectName: "rowTag"
                            anchors.left: rowLabel.right
                            anchors.verticalCenter: parent.verticalCenter
                            visible: statusRow.version !== "undefine"
                            text: statusRow.version === "noinstall" ? "未安装" : statusRow.version
                            presetColor: statusRow.version === "noinstall" ? "red" : "green"
                        }
                    }
                }

                HusIconButton {
                    id: kxtButton
                    objectName: "kxtButton"
                    x: 200
                    y: 5
                    type: HusButton.Type_Text
                    visible: tabServer.kxtInstallationFlag !== 2 && !tabServer.kxtButtonPressed
                    text: tabServer.kxtInstallationFlag === 1 ? "更新KX-T插件" : "安装KX-T插件"
                    onClicked: tabServer.deploy("kxt", kxtBar)
                }

                CustomProgressBar {
                    id: kxtBar
                    objectName: "kxtBar"
                    x: kxtButton.x
                    y: kxtButton.y + 8
                    visible: false
                }

                HusIconButton {
                    id: javapButton
                    objectName: "javapButton"
                    x: 200
                    y: 32
                    type: HusButton.Type_Text
                    visible: tabServer.javapInstallationFlag !== 2 && !tabServer.javapButtonPressed
                    text: tabServer.javapInstallationFlag === 1 ? "更新JAVA插件" : "安装JAVA插件"
                    onClicked: tabServer.deploy("javap", javapBar)
                }

                CustomProgressBar {
                    id: javapBar
                    objectName: "javapBar"
                    x: javapButton.x
                    y: javapButton.y + 8
                    visible: false
                }

                HusIconButton {
                    id: javaButton
                    objectName: "javaButton"
                    x: 200
                    y: 59
                    type: HusButton.Type_Text
                    visible: tabServer.javaInstallationFlag === 0
                    text: "安装JAVA"
                    onClicked: tabServer.installJava()
                }

                HusButton {
                    id: clientPackageButton
                    objectName: "clientPackageButton"
                    anchors.right: parent.right
                    anchors.rightMargin: 10
                    anchors.bottom: parent.bottom
                    anchors.bottomMargin: 8
                    type: HusButton.Type_Text
                    text: "下载双端插件包"
                    onClicked: folderPicker.open()

                    HusToolTip {
                        visible: clientPackageButton.hovered
                        position: HusToolTip.Position_Top
                        text: "使用双端插件才需要安装,仅使用kxt服务端插件不需要安装!"
                    }
                }
            }

            // The shell's panel; further shell actions go beside the console here.
            HusRectangle {
                id: consolePanel
                objectName: "consolePanel"
                anchors.top: infoCard.bottom
                anchors.topMargin: 10
                anchors.bottom: parent.bottom
                width: parent.width
                radius: 8
                color: "transparent"
                border.width: 1
                border.color: readyView.frameColor

                ServerConsole {
                    id: serverConsole
                    objectName: "serverConsole"
                    anchors.fill: parent
                }

                HusButton {
                    objectName: "reconnectButton"
                    anchors.top: parent.top
                    anchors.right: parent.right
                    anchors.margins: 10
                    visible: tabServer.linkLost
                    type: HusButton.Type_Primary
                    text: "重新连接"
                    onClicked: tabServer.reconnect()
                }
            }
        }
    }
}
