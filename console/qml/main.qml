import QtQuick 2.15
import HuskarUI.Basic 1.0
import Qt.labs.settings 1.1
import "./MyGlobals" 1.0

HusWindow {
    id: window

    width: 1080
    height: 760
    visible: true
    title: "KX_T服务端可视化后台管理工具" + " Ver." + GlobalVars.tool_version

    captionBar.themeButtonVisible: true
    captionBar.topButtonVisible: true
    captionBar.winIconDelegate: Image {
        width: 20
        height: 20
        source: "qrc:/image/logo.png"
        sourceSize: Qt.size(40, 40)
        mipmap: true
    }
    captionBar.topCallback: function(checked) {
        HusApi.setWindowStaysOnTopHint(window, checked)
    }

    // 0: login, 1: home. The previous page is destroyed with the switch.
    function changePage(page) {
        if (page === 0)
            pageLoader.source = "qrc:/Page/Page_Login.qml"
        else if (page === 1)
            pageLoader.source = "qrc:/Page/Page_Home.qml"
    }

    // Sized by its page: the pages place themselves below the caption bar, and a
    // Loader with a size of its own would stretch them over the whole window, their
    // lower edge under the window's.
    Loader {
        id: pageLoader
        objectName: "pageLoader"
    }

    // The operator's theme, kept in the user's own settings (not in setting.ini,
    // which holds the login keys only).
    Settings {
        id: appearance
        category: "appearance"
        // Unset until the operator first switches the theme.
        property var dark
    }

    Connections {
        target: HusTheme
        function onIsDarkChanged() { appearance.dark = HusTheme.isDark }
    }

    HusMessage {
        id: message
        parent: window.captionBar
        z: 999
        width: parent.width
        anchors.top: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
    }

    Component.onCompleted: {
        if (appearance.dark !== undefined)
            HusTheme.isDark = appearance.dark === true || appearance.dark === "true"
        GlobalVars.main_Window = window
        GlobalVars.msg_control = message
        HusTheme.installThemePrimaryFontFamiliesBase('"Microsoft YaHei UI", BlinkMacSystemFont, "Segoe UI", Roboto')
        // The login page sends its first request while it is built; the message bar is set by then.
        changePage(0)
    }
}
