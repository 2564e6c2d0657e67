import QtQuick 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0
import SSHManager 1.0
import "../MyGlobals" 1.0
import "../Component"
import "../Component/windows.js" as Windows

// The signed-in account, its figures and the table of its servers with their SSH
// details: test a login, correct a server's details, remove it, or add one.
Item {
    id: root
    objectName: "personalTab"

    property string user_name: "未定名用户XNJASDND"
    property string user_level: "普通会员"
    property int user_points: 0
    property var user_server_list: []
    // Row of the connection test in progress, -1 when none.
    property int testip: -1
    property var addServerWindow: null

    // Below this height the figure cards no longer fit between the fixed bars, so
    // the page scrolls instead.
    readonly property int shortestLayout: 690

    function buildAccount() {
        const info = GlobalVars.accInfo;
        if (!info)
            return;
        user_name = String(info.username);
        user_level = String(info.uservip);
        user_points = Number(info.userpoints) || 0;
    }

    // A running test is forgotten too: its outcome would land on a row that may
    // now hold another server.
    function buildTable() {
        const servers = GlobalVars.accServerList;
        if (!servers)
            return;
        testip = -1;
        user_server_list = Array.from(servers, (server, index) => ({
            action: index,
            state: 0,
            ip: server.serverIp,
            port: server.port,
            username: server.userName,
            password: server.password
        }));
    }

    function setRowState(index, state) {
        const rows = user_server_list;
        rows[index].state = state;
        user_server_list = rows;
    }

    function testServer(index) {
        if (addServerWindow)
            return;
        if (testip !== -1) {
            GlobalVars.notify("warning", "当前正在测试" + user_server_list[testip].ip + "的连通性,请不要重复操作!");
            return;
        }
        const row = user_server_list[index];
        testip = index;
        setRowState(index, -1);
        SSHManager.connectAndStartShell(row.ip, String(row.port), row.username, row.password);
    }

    // While the add-server window is open the shell's events are its own.
    function finishTest(state) {
        if (testip === -1 || addServerWindow)
            return;
        setRowState(testip, state);
        testip = -1;
    }

    function connectionSuccess() {
        finishTest(1);
    }

    function connectionFailed(error) {
        const tested = testip;
        const testing = tested !== -1 && !addServerWindow;
        finishTest(2);
        if (testing) {
            const row = user_server_list[tested];
            hostKeyPrompt.offer(row.ip, String(row.port), function () { root.testServer(tested); });
        }
    }

    function openAddServerWindow(row) {
        if (addServerWindow)
            return;
        const window = Windows.create(Qt.resolvedUrl("Window_AddServer.qml"), root, function (closed) {
            if (root.addServerWindow === closed)
                root.addServerWindow = null;
        });
        if (!window)
            return;
        addServerWindow = window;
        if (row) {
            window.serverIP = row.ip;
            window.serverPort = String(row.port);
            window.serverUsername = row.username;
            window.serverPassword = row.password;
            window.mode = 1;
        }
        if (GlobalVars.main_Window)
            window.y = GlobalVars.main_Window.y + 130;
        window.show();
        window.raise();
    }

    function editServer(index) {
        if (!addServerWindow)
            openAddServerWindow(user_server_list[index]);
    }

    function removeServer(index) {
        if (!addServerWindow)
            GlobalVars.removeServer(user_server_list[index].ip);
    }

    Component.onCompleted: {
        GlobalVars.tab_personal = root;
        SSHManager.connectionSuccess.connect(connectionSuccess);
        SSHManager.connectionFailed.connect(connectionFailed);
        buildAccount();
        buildTable();
    }

    Component.onDestruction: {
        SSHManager.connectionSuccess.disconnect(connectionSuccess);
        SSHManager.connectionFailed.disconnect(connectionFailed);
    }

    Connections {
        target: GlobalVars
        function onAccInfoChanged() {
            root.buildAccount();
        }
        function onAccServerListChanged() {
            root.buildTable();
        }
    }

    Flickable {
        id: scroller
        anchors.fill: parent
        contentWidth: width
        contentHeight: Math.max(height, root.shortestLayout)
        boundsBehavior: Flickable.StopAtBounds
        clip: true
        ScrollBar.vertical: HusScrollBar {}

        Item {
            width: scroller.width
            height: scroller.contentHeight

            Frame {
                id: topBar
                anchors.top: parent.top
                anchors.topMargin: 15
                anchors.left: parent.left
                anchors.leftMargin: 10
                anchors.right: parent.right
                anchors.rightMargin: 15
                height: 50

                HusAvatar {
                    id: avatar
                    x: 20
                    anchors.verticalCenter: parent.verticalCenter
                    size: parent.height * 0.65
                    iconSource: HusIcon.UserOutlined
                }

                Text {
                    objectName: "accountName"
                    anchors.left: avatar.right
                    anchors.leftMargin: 10
                    anchors.right: links.left
                    anchors.verticalCenter: parent.verticalCenter
                    text: root.user_name
                    font.pixelSize: 14
                    font.family: HusTheme.Primary.fontPrimaryFamily
                    color: HusTheme.Primary.colorTextBase
                    elide: Text.ElideRight
                }

                Row {
                    id: links
                    anchors.right: parent.right
                    anchors.rightMargin: 10
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 2

                    HusButton {
                        id: pointsLink
                        objectName: "pointsLink"
                        type: HusButton.Type_Link
                        text: "关于贡献点"

                        HusToolTip {
                            visible: pointsLink.hovered
                            position: HusToolTip.Position_Left
                            text: "扫描赞助码赞助时备注KXT管理工具账号即可(如果长时间未增加贡献点可联系客服)"
                        }
                    }

                    HusButton {
                        id: serviceLink
                        objectName: "serviceLink"
                        type: HusButton.Type_Link
                        text: "联系客服"
                        onClicked: Qt.openUrlExternally(Contacts.chatGroupUrl)

                        HusToolTip {
                            visible: serviceLink.hovered
                            position: HusToolTip.Position_Top
                            text: "如无法跳转QQ链接,可手动添加客服QQ:" + Contacts.serviceQQ
                        }
                    }

                    HusButton {
                        objectName: "profileLink"
                        type: HusButton.Type_Link
                        text: "修改资料"
                        onClicked: GlobalVars.notify("warning", "暂未开放此功能")
                    }
                }
            }

            Frame {
                id: figures
                anchors.top: topBar.bottom
                anchors.topMargin: 10
                anchors.bottom: serverArea.top
                anchors.bottomMargin: 10
                anchors.left: topBar.left
                anchors.right: topBar.right

                Row {
                    id: cards
                    x: 20
                    width: parent.width - 40
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 20

                    FigureCard {
                        objectName: "pointsCard"
                        icon: HusIcon.CreditCardOutlined
                        label: "贡献点: " + root.user_points
                    }
                    FigureCard {
                        objectName: "levelCard"
                        icon: HusIcon.SketchOutlined
                        label: "VIP等级: " + root.user_level
                    }
                    FigureCard {
                        objectName: "voucherCard"
                        icon: HusIcon.WalletOutlined
                        label: "暂无代金券"
                    }
                }
            }

            Frame {
                id: serverArea
                anchors.left: parent.left
                anchors.leftMargin: 10
                anchors.right: parent.right
                anchors.rightMargin: 15
                anchors.bottom: parent.bottom
                anchors.bottomMargin: 15
                height: 400

                Column {
                    anchors.fill: parent
                    anchors.margins: 8
                    spacing: 8

                    Item {
                        width: parent.width
                        height: 20

                        Text {
                            anchors.verticalCenter: parent.verticalCenter
                            text: "我的服务器"
                            font.pixelSize: 14
                            font.family: HusTheme.Primary.fontPrimaryFamily
                            color: HusTheme.Primary.colorTextBase
                        }

                        HusButton {
                            objectName: "addServerLink"
                            anchors.right: parent.right
                            anchors.rightMargin: 6
                            anchors.verticalCenter: parent.verticalCenter
                            type: HusButton.Type_Link
                            text: "新增服务器"
                            onClicked: root.openAddServerWindow(null)
                        }
                    }

                    HusTableView {
                        id: table
                        objectName: "serverTable"
                        width: parent.width
                        height: parent.height - 20 - parent.spacing - 1
                        rowHeaderVisible: false
                        initModel: root.user_server_list
                        columns: [
                            { title: "服务器IP", dataIndex: "ip", width: 150, delegate: textCell },
                            { title: "SSH端口", dataIndex: "port", width: 80, delegate: textCell },
                            { title: "服务器账号", dataIndex: "username", width: 100, delegate: textCell },
                            { title: "服务器密码", dataIndex: "password", width: 160, delegate: textCell },
                            { title: "状态", dataIndex: "state", width: 80, delegate: stateCell },
                            { title: "操作", dataIndex: "action", width: 250, delegate: actionCell }
                        ]
                    }
                }
            }
        }
    }

    Component {
        id: textCell

        Item {
            id: textItem

            readonly property string value: cellData === undefined || cellData === null ? "" : String(cellData)
            readonly property int found: filterInput ? value.indexOf(filterInput) : -1

            Text {
                id: cellText
                objectName: "cellText"
                anchors.fill: parent
                leftPadding: 8
                rightPadding: 8
                text: textItem.value
                font.family: HusTheme.Primary.fontPrimaryFamily
                font.pixelSize: HusTheme.Primary.fontPrimarySize
                color: HusTheme.Primary.colorTextBase
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }

            TextMetrics {
                id: before
                font: cellText.font
                text: textItem.found > 0 ? textItem.value.slice(0, textItem.found) : ""
            }

            TextMetrics {
                id: match
                font: cellText.font
                text: textItem.found >= 0 ? filterInput : ""
            }

            Rectangle {
                objectName: "filterBand"
                visible: textItem.found >= 0
                x: cellText.leftPadding + (cellText.width - cellText.leftPadding - cellText.rightPadding
                                           - cellText.contentWidth) / 2 + before.advanceWidth
                width: match.advanceWidth
                height: cellText.contentHeight
                anchors.verticalCenter: parent.verticalCenter
                color: "red"
                opacity: 0.1
            }
        }
    }

    Component {
        id: stateCell

        Item {
            HusTag {
                objectName: "stateTag"
                x: 20
                anchors.verticalCenter: parent.verticalCenter
                visible: cellData !== -1
                text: ["未知", "成功", "失败"][cellData] || ""
                presetColor: ["purple", "green", "red"][cellData] || ""
            }

            BusyIndicator {
                objectName: "stateSpinner"
                x: 20
                anchors.verticalCenter: parent.verticalCenter
                visible: cellData === -1
                color: "#FF5722"
                size: 18
                duration: 12000
            }
        }
    }

    Component {
        id: actionCell

        Item {
            Row {
                anchors.centerIn: parent
                spacing: 4

                HusButton {
                    objectName: "testLink"
                    type: HusButton.Type_Link
                    text: "测试"
                    onClicked: root.testServer(cellData)
                }
                HusButton {
                    objectName: "editLink"
                    type: HusButton.Type_Link
                    text: "修改"
                    onClicked: root.editServer(cellData)
                }
                HusButton {
                    objectName: "removeLink"
                    type: HusButton.Type_Link
                    text: "删除"
                    onClicked: root.removeServer(cellData)
                }
            }
        }
    }

    HostKeyPrompt {
        id: hostKeyPrompt
    }

    component Frame: Rectangle {
        color: "transparent"
        radius: 8
        border.width: 3
        border.color: HusTheme.isDark ? "#23272e" : "#f0f4f7"
    }

    component FigureCard: Card {
        id: card

        property string icon
        property string label

        width: cards.width / 3 - 14
        height: figures.height * 0.8
        isDarkMode: HusTheme.isDark

        HusIconButton {
            id: figureIcon
            anchors.horizontalCenter: parent.horizontalCenter
            // 20 px from the card's edge; the content sits 16 px inside it.
            y: 4
            type: HusButton.Type_Primary
            iconSource: card.icon
            iconSize: 54
        }

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.top: figureIcon.bottom
            anchors.topMargin: 20
            text: card.label
            font.pixelSize: 14
            font.family: HusTheme.Primary.fontPrimaryFamily
            color: HusTheme.Primary.colorTextBase
        }
    }
}
