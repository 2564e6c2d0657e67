import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import HuskarUI.Basic 1.0

HusWindow {
    id: window
    width: 1280
    height: 900
    visible: true
    title: "组件库示例 Component gallery"
    captionBar.themeButtonVisible: true
    captionBar.topButtonVisible: true
    captionBar.winIconDelegate: HusIconText { iconSource: HusIcon.AppstoreOutlined; iconSize: 18; colorIcon: HusTheme.Primary.colorPrimary }
    captionBar.topCallback: checked => HusApi.setWindowStaysOnTopHint(window, checked)

    Component.onCompleted: {
        HusTheme.isDark = galleryDark;
        HusTheme.installThemePrimaryFontFamiliesBase('"Microsoft YaHei UI", BlinkMacSystemFont, "Segoe UI", Roboto');
        message.success("保存成功");
        message.error("请求失败，状态码: 401");
        message.warning("暂未开放此功能");
        message.info("正在检查更新");
    }

    HusMessage {
        id: message
        z: 999
        parent: window.captionBar
        width: parent.width
        anchors.top: parent.bottom
        defaultDuration: 0
    }

    HusMenu {
        id: menu
        y: window.captionBar.height
        width: 220
        height: parent.height - y
        showEdge: true
        initModel: [
            { label: "首页", iconSource: HusIcon.HomeOutlined, source: "Tab_home.qml" },
            { type: "divider" },
            { label: "我的服务器", iconSource: HusIcon.CloudServerOutlined, menuChildren: [
                { key: "server", label: "127.0.0.1", iconSource: HusIcon.HomeOutlined, source: "Tab_server.qml" },
                { key: "server", label: "10.0.0.8", iconSource: HusIcon.HomeOutlined, source: "Tab_server.qml" }
            ] },
            { label: "插件市场(服务端)", iconSource: HusIcon.ShopOutlined, source: "Tab_shop.qml" },
            { label: "插件市场(双端)", iconSource: HusIcon.ShopOutlined, source: "Tab_shopex.qml" },
            { label: "个人中心", iconSource: HusIcon.ProductOutlined, source: "Tab_personal.qml" },
            { label: "更新日志", iconSource: HusIcon.ClockCircleOutlined, source: "Tab_update.qml" },
            { label: "赞助", iconSource: HusIcon.InfoCircleOutlined, source: "Tab_support.qml" },
            { label: "关于", iconSource: HusIcon.InfoCircleOutlined, source: "Tab_about.qml" }
        ]
        Component.onCompleted: setExpanded("2", true)
    }

    Flickable {
        id: page
        x: menu.width
        y: window.captionBar.height
        width: parent.width - x
        height: parent.height - y
        contentHeight: content.height + 40
        clip: true
        ScrollBar.vertical: HusScrollBar {}

        Column {
            id: content
            x: 24
            y: 70
            width: page.width - 48
            spacing: 18

            Row {
                spacing: 10
                HusButton { text: "默认按钮" }
                HusButton { text: "登 录"; type: HusButton.Type_Primary; width: 100; height: 35; colorBg: "#2A5CFF" }
                HusButton { text: "注 册"; type: HusButton.Type_Primary; width: 100; height: 35; colorBg: "#00C853" }
                HusButton { text: "主要按钮"; type: HusButton.Type_Primary }
                HusButton { text: "文本按钮"; type: HusButton.Type_Text }
                HusButton { text: "点击注册"; type: HusButton.Type_Link }
                HusButton { text: "禁用"; enabled: false }
                HusIconButton { text: "下载"; iconSource: HusIcon.DownloadOutlined; type: HusButton.Type_Primary }
                HusIconButton { text: "更新KX-T插件"; iconSource: HusIcon.SyncOutlined; type: HusButton.Type_Text }
                HusIconButton { iconSource: HusIcon.SettingOutlined }
            }

            Row {
                spacing: 10
                HusInput { width: 280; placeholderText: "账号" }
                HusInput { width: 280; placeholderText: "这里可以输入服务器命令"; iconSource: HusIcon.ForwardOutlined; iconPosition: HusInput.Position_Left }
                HusInput { width: 200; text: "192.168.1.20"; iconSource: HusIcon.HddOutlined; clearEnabled: true; readOnly: true }
            }

            Row {
                spacing: 10
                HusSelect {
                    width: 180
                    height: 30
                    model: [{ label: "高速线路", value: "a" }, { label: "备用线路", value: "b" }]
                }
                HusSelect {
                    id: serverSelect
                    width: 250
                    height: 30
                    tooltipVisible: true
                    model: [{ label: "127.0.0.1", value: 0 }, { label: "127.0.0.2", value: 1 }, { label: "127.0.0.3", value: 2 }]
                    Component.onCompleted: popup.open()
                }
                Item { width: 90; height: 1 }
                HusText { text: "提示在上方"; anchors.verticalCenter: parent.verticalCenter
                    HusToolTip { visible: true; arrowVisible: true; text: "请牢记自己设置的安全口令,并注意不要泄露"; position: HusToolTip.Position_Top }
                }
                Item { width: 40; height: 1 }
                HusText { text: "提示在右侧"; anchors.verticalCenter: parent.verticalCenter
                    HusToolTip { visible: true; arrowVisible: true; text: "可使用注册时的安全口令强制更改密码"; position: HusToolTip.Position_Right }
                }
            }

            Row {
                spacing: 14
                Repeater {
                    model: ["HomeOutlined", "CloudServerOutlined", "ShopOutlined", "ProductOutlined", "ClockCircleOutlined",
                        "InfoCircleOutlined", "CopyOutlined", "ForwardOutlined", "CreditCardOutlined", "SketchOutlined",
                        "WalletOutlined", "HddOutlined", "GoldOutlined", "UserOutlined", "LockFilled", "ReadOutlined",
                        "TeamOutlined", "ProfileOutlined", "GoogleOutlined", "CloseSquareFilled", "JavaOutlined"]
                    HusIconText { iconSource: HusIcon[modelData]; iconSize: 24; colorIcon: HusTheme.Primary.colorTextBase }
                }
            }
        }
    }
}
