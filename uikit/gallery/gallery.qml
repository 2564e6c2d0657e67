import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15
import HuskarUI.Basic 1.0

HusWindow {
    id: window
    width: 1440
    height: 960
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

    Component {
        id: stateCell
        Item {
            HusTag {
                x: 10
                anchors.verticalCenter: parent.verticalCenter
                text: ["未知", "成功", "失败"][cellData]
                presetColor: ["purple", "green", "red"][cellData]
            }
        }
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
            y: 100
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
                HusInput { width: 220; placeholderText: "账号" }
                HusInput { width: 280; placeholderText: "这里可以输入服务器命令"; iconSource: HusIcon.ForwardOutlined; iconPosition: HusInput.Position_Left }
                HusInput { width: 200; text: "192.168.1.20"; iconSource: HusIcon.HddOutlined; readOnly: true }
                HusAutoComplete {
                    id: search
                    width: 370
                    height: 40
                    placeholderText: "输入插件名以查找插件"
                    clearIconSource: HusIcon.CloseSquareFilled
                    text: "KX"
                    options: [{ label: "KXCore\t作者: tolvaren", value: 0 }, { label: "KXMarket\t作者: kumo", value: 1 }]
                    Component.onCompleted: search.popup.open()
                }
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
                spacing: 16
                ButtonGroup { id: modes }
                HusRadio { text: "索引插件名"; checked: true; ButtonGroup.group: modes }
                HusRadio { text: "索引作者名"; ButtonGroup.group: modes }
                HusRadio { text: "索引描述内容"; ButtonGroup.group: modes }
                HusSwitch { checked: true; checkedText: "开启插件"; uncheckedText: "关闭插件"; anchors.verticalCenter: parent.verticalCenter }
                HusSwitch { checkedText: "开启插件"; uncheckedText: "关闭插件"; anchors.verticalCenter: parent.verticalCenter }
                HusTag { text: "未安装"; presetColor: "red"; anchors.verticalCenter: parent.verticalCenter }
                HusTag { text: "1.12"; presetColor: "green"; anchors.verticalCenter: parent.verticalCenter }
                HusTag { text: "到期时间:2025-12-01"; presetColor: "geekblue"; anchors.verticalCenter: parent.verticalCenter }
                HusTag { text: "未知"; presetColor: "purple"; anchors.verticalCenter: parent.verticalCenter }
                HusAvatar { iconSource: HusIcon.UserOutlined; size: 32 }
                HusAvatar { textSource: "KX"; size: 32; colorBg: HusTheme.Primary.colorPrimary }
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

            HusDivider { width: parent.width; title: "数据与容器"; titleAlign: HusDivider.Align_Center }

            Row {
                spacing: 16

                HusTableView {
                    id: table
                    width: 520
                    height: 210
                    rowHeaderVisible: false
                    columns: [
                        { title: "服务器IP", dataIndex: "ip", width: 150, onFilter: (text, record) => record.ip.indexOf(text) >= 0, filterInput: "0.0" },
                        { title: "SSH端口", dataIndex: "port", width: 80 },
                        { title: "服务器账号", dataIndex: "username", width: 100 },
                        { title: "状态", dataIndex: "state", width: 80, delegate: stateCell }
                    ]
                    initModel: [
                        { ip: "127.0.0.1", port: 22, username: "root", state: 1 },
                        { ip: "10.0.0.8", port: 2222, username: "admin", state: 2 },
                        { ip: "192.168.0.12", port: 22, username: "kx", state: 0 },
                        { ip: "172.16.0.4", port: 22, username: "ops", state: 1 }
                    ]
                }

                HusTabView {
                    width: 420
                    height: 210
                    tabCentered: true
                    initModel: [
                        { key: "1", iconSource: HusIcon.CreditCardOutlined, title: "服务端插件", body: "服务端插件的内容" },
                        { key: "2", iconSource: HusIcon.CreditCardOutlined, title: "双端插件", body: "双端插件的内容" }
                    ]
                    contentDelegate: Rectangle {
                        color: HusTheme.Primary.colorFillQuaternary
                        HusText { anchors.centerIn: parent; text: model.body }
                    }
                }
            }

            Row {
                spacing: 16

                HusCarousel {
                    width: 360
                    height: 200
                    autoplay: true
                    initModel: [{ title: "欢迎使用 KX-T", colour: "#364d79" }, { title: "插件市场上新", colour: "#2f6f5e" }, { title: "赞助支持", colour: "#7a3f6b" }]
                    contentDelegate: Rectangle {
                        width: 360
                        height: 200
                        radius: 8
                        color: model.colour
                        Text { anchors.centerIn: parent; text: model.title; color: "white"; font.pixelSize: 22; font.family: HusTheme.Primary.fontPrimaryFamily }
                    }
                }

                Rectangle {
                    width: 300
                    height: 200
                    color: "transparent"
                    radius: 8
                    border.width: 1
                    border.color: HusTheme.isDark ? HusTheme.HusCollapse.colorBorderDark : HusTheme.HusCollapse.colorBorder
                    HusTimeline {
                        anchors.fill: parent
                        anchors.topMargin: 15
                        mode: HusTimeline.Mode_Left
                        initModel: [
                            { time: "2025-03-02", content: "新增双端插件市场与插件详情页" },
                            { time: "2025-02-11", content: "修复传输队列在上传失败时的显示" },
                            { time: "2025-01-20", content: "首个公开版本" }
                        ]
                    }
                }

                Item {
                    id: popupHost
                    width: 320
                    height: 200
                    Rectangle { anchors.fill: parent; color: HusTheme.Primary.colorFillTertiary; radius: 8 }
                    HusPopup {
                        id: termsPopup
                        x: 30
                        y: 20
                        width: 260
                        height: 150
                        movable: true
                        resizable: true
                        minimumWidth: 200
                        minimumHeight: 120
                        closePolicy: HusPopup.NoAutoClose
                        contentItem: Item {
                            HusText { x: 10; y: 10; width: parent.width - 20; wrapMode: Text.Wrap; text: "kxt管理工具使用申明及免责条款：使用本软件即表示接受全部条款。" }
                            HusButton {
                                anchors.right: parent.right
                                anchors.bottom: parent.bottom
                                anchors.margins: 10
                                height: 30
                                type: HusButton.Type_Primary
                                text: "我同意"
                                radiusBg: termsPopup.radiusBg / 2
                            }
                        }
                        Component.onCompleted: open()
                    }
                }
            }

            Row {
                spacing: 16
                HusRectangle { width: 160; height: 60; color: HusTheme.Primary.colorPrimaryBg; topLeftRadius: 8; topRightRadius: 8; border.width: 1; border.color: HusTheme.Primary.colorPrimaryBorder
                    HusText { anchors.centerIn: parent; text: "上方圆角" } }
                HusRectangle { width: 160; height: 60; color: HusTheme.Primary.colorFillSecondary; bottomLeftRadius: 16; bottomRightRadius: 2
                    HusText { anchors.centerIn: parent; text: "下方圆角" } }
                HusImage { width: 100; height: 60; fillMode: Image.PreserveAspectFit; source: "image://husicon/JavaOutlined/ff1677ff"; sourceSize: Qt.size(60, 60) }
                HusDivider { height: 60; orientation: Qt.Vertical }
                HusIconButton { text: "查看我的服务器插件"; type: HusButton.Type_Link; iconSource: HusIcon.AppstoreOutlined }
            }
        }
    }
}
