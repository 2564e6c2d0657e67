import QtQuick 2.15
import HuskarUI.Basic 1.0

Item {
    id: root

    Rectangle {
        id: frame
        anchors.fill: parent
        anchors.margins: 15
        anchors.bottomMargin: 45
        color: "transparent"
        radius: 8
        border.width: 1
        border.color: HusTheme.isDark ? HusTheme.HusCollapse.colorBorderDark : HusTheme.HusCollapse.colorBorder

        HusTimeline {
            id: timeline
            objectName: "updateTimeline"
            anchors.fill: parent
            anchors.topMargin: 15
            mode: HusTimeline.Mode_Left
            initModel: [
                { time: "2025-03-21", content: "初版KX-T后台管理工具发布\n由WinUI3编写" },
                { time: "2025-04-07", content: "KX-T后台管理工具Qt版本发布\n支持win7系统" },
                { time: "2025-04-22", content: "KX-T后台管理工具整体重构\n大幅度提升流畅性!" },
                { time: "2025-05-09", content: "添加了单个插件的卸载按钮\n优化添加服务器流程\n增加国内线路\n在程序标题栏显示当前程序版本" },
                { time: "2025-05-10", content: "新增更新日志栏目\n采用时间轴方式展示更新内容!\n优化栏目图标设置。" },
                { time: "2025-05-16", content: "开放双端插件栏目!" },
                { time: "2025-05-17", content: "新增服务器双端插件页面显示到期时间与开关按钮\n新增协议说明\n优化添加服务器网关的流程与逻辑" },
                { time: "2025-05-21", content: "新增个人中心联系客服按钮\n开放贡献点系统" },
                { time: "2025-05-22", content: "修复java插件安装的问题" },
                { time: "2025-05-23", content: "修复因为转义字符导致配置无法正常显示的问题\n需要在个人中心重新添加一下服务器" },
                { time: "2025-05-25", content: "双端插件详情显示页面加入视频播放" },
                { time: "2025-09-23", content: "更新赞助页面,并优化后端逻辑，开放高速线路" }
            ]
        }
    }
}
