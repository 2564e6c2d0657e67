import QtQuick 2.15
import Qt.labs.settings 1.1
import HuskarUI.Basic 1.0
import "../MyGlobals" 1.0

Item {
    id: page
    objectName: "loginPage"

    y: GlobalVars.main_Window ? GlobalVars.main_Window.captionBar.height : 0
    width: GlobalVars.main_Window ? GlobalVars.main_Window.width : 0
    height: GlobalVars.main_Window ? GlobalVars.main_Window.height - y : 0

    property int mode: 0
    property string username: ""
    property string password: ""
    property string bindqq: ""

    // The service line whose URL is in use; a line is applied once per change.
    property int appliedLine: -1

    // The main button and Enter in the password (or phrase) input.
    function submit() {
        if (mode === 0)
            login()
        else
            signUp()
    }

    function login() {
        GlobalVars.sendPostRequest("/login", { username: username, password: password }, function(error, answer) {
            if (error) {
                GlobalVars.msg_control.error(error.message)
                return
            }
            GlobalVars.token = answer && answer.token !== undefined && answer.token !== null ? String(answer.token) : ""
            GlobalVars.main_Window.changePage(1)
            GlobalVars.msg_control.success("登录成功")
        })
    }

    function signUp() {
        GlobalVars.sendPostRequest("/register", { username: username, password: password, qq: bindqq }, function(error, answer) {
            if (error) {
                GlobalVars.msg_control.error("注册失败：" + answer)
                return
            }
            // A login that succeeded meanwhile has already replaced this page.
            if (page)
                page.mode = 0
            GlobalVars.msg_control.success("注册成功")
        })
    }

    function applyLine(index) {
        if (index < 0 || index >= GlobalVars.serverLines.length || index === appliedLine)
            return
        appliedLine = index
        GlobalVars.server_url = GlobalVars.serverLines[index].value
        GlobalVars.getAllVersion()
    }

    Settings {
        fileName: "./setting.ini"
        property alias username: page.username
        property alias password: page.password
    }

    Column {
        anchors.centerIn: parent
        spacing: 10

        Image {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 60
            height: 60
            source: "qrc:/image/logo.png"
            sourceSize: Qt.size(120, 120)
            mipmap: true
        }

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "登录您的KX-T账号"
            font.pixelSize: 20
            font.family: HusTheme.Primary.fontPrimaryFamily
            color: HusTheme.Primary.colorTextBase
        }

        HusInput {
            id: accountInput
            objectName: "accountInput"
            width: 280
            placeholderText: "账号"
            selectByMouse: true
            text: page.username
            onTextChanged: page.username = text
        }

        HusInput {
            id: passwordInput
            objectName: "passwordInput"
            width: 280
            placeholderText: "密码"
            text: page.password
            onTextChanged: page.password = text
            onAccepted: page.submit()
        }

        HusInput {
            id: phraseInput
            objectName: "phraseInput"
            width: 280
            visible: page.mode === 1
            placeholderText: "安全口令"
            text: page.bindqq
            onTextChanged: page.bindqq = text
            onAccepted: page.submit()

            HoverHandler { id: phraseHover }
            HusToolTip {
                visible: phraseHover.hovered
                arrowVisible: true
                position: HusToolTip.Position_Top
                text: "请牢记自己设置的安全口令,并注意不要泄露"
            }
        }

        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 15

            HusButton {
                id: mainButton
                objectName: "mainButton"
                width: 100
                height: 35
                type: HusButton.Type_Primary
                text: page.mode === 0 ? "登 录" : "注 册"
                colorBg: page.mode === 0 ? "#2A5CFF" : "#00C853"
                onClicked: page.submit()
            }

            HusButton {
                objectName: "forceChangeButton"
                width: 120
                height: 35
                visible: page.mode === 1
                type: HusButton.Type_Primary
                text: "强制更改密码"
                colorBg: "#dd2c2c"

                HoverHandler { id: forceHover }
                HusToolTip {
                    visible: forceHover.hovered
                    arrowVisible: true
                    position: HusToolTip.Position_Right
                    text: "可使用注册时的安全口令强制更改密码"
                }
            }
        }
    }

    Row {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 20

        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: page.mode === 0 ? "您还没有账号或忘记密码?" : "已有账号"
            font.family: HusTheme.Primary.fontPrimaryFamily
            font.pixelSize: HusTheme.Primary.fontPrimarySize
            color: HusTheme.Primary.colorTextSecondary
        }

        HusButton {
            objectName: "modeButton"
            height: 35
            type: HusButton.Type_Link
            text: page.mode === 0 ? "点击注册" : "点击登录"
            onClicked: page.mode = page.mode === 0 ? 1 : 0
        }
    }

    HusSelect {
        id: lineSelect
        objectName: "lineSelect"
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 20
        width: 180
        height: 30
        model: GlobalVars.serverLines
        textRole: "label"
        valueRole: "value"
        onCurrentIndexChanged: page.applyLine(currentIndex)
    }

    Component.onCompleted: applyLine(Math.max(lineSelect.currentIndex, 0))
}
