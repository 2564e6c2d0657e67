import QtQuick 2.15
import SSHManager 1.0
import "../common/Items.js" as Items

// A new operator signs up, logs in, registers a fresh server (the gateway installer
// runs over SSH), opens its page and deploys the framework, the Java plugins and Java.
JourneyCase {
    name: "NewOperator"

    property string shell: ""

    Connections {
        target: SSHManager
        function onShellOutput(data) { shell += data }
    }

    function test_sign_up_add_a_server_and_deploy() {
        resetSimulator()
        const versions = done(sim.platform("/quenta/getversion", {})).json
        const host = hosts[2]
        const account = { name: uniqueName("op"), password: "pw-" + Date.now() }
        start()
        click(main, "点击注册")
        typeInto(main, "账号", account.name)
        typeInto(main, "密码", account.password)
        typeInto(main, "安全口令", "phrase")
        click(main, "注 册")
        waitMessage("注册成功")
        click(main, "登 录")
        waitMessage("登录成功")
        snap(main, "home")

        click(main, "个人中心")
        click(main, "新增服务器")
        const adding = windowTitled("新增服务器")
        typeInto(adding, "请输入 IP 地址", host)
        typeInto(adding, "请输入端口号", String(sshd.port))
        typeInto(adding, "请输入服务器用户名", sshd.user)
        typeInto(adding, "请输入服务器密码", sshd.password)
        snap(adding, "add-server")
        const seq = logSeq()
        click(adding, "添加")
        waitMessage("请耐心等待服务器初始化!")
        waitMessage("新增服务器成功", 60000)
        gone(adding)
        compare(waitForRequest(seq, "/quenta/addServer").body,
                { ip: host, port: String(sshd.port), username: sshd.user, password: sshd.password })
        verify(serverFile(host, "/root/sh").indexOf("Tolvaren_Service_Success") >= 0, "the installer ran in the server")
        compare(done(sim.gateway(host, "/api/hello")).json.host, host)
        waitMessage("操作服务器成功!")

        openServer(host)
        snap(main, "server-page")
        tryVerify(function () { return shownAll(main, "未安装").length === 3 }, 20000, "three components to install")
        // `said`: the messages of the package's download and upload; `typed`: commands sent to the shell.
        const rows = [
            { button: "安装KX-T插件", version: versions.kxtVer, file: "/kx_t/version",
              said: ["KX-T插件本体下载成功!现在准备上传!",
                     "KX-T插件本体上传成功！现在将执行解压操作!在右侧控制台页面出现'KX-T插件解压成功'字样则为安装成功!"],
              typed: ["sudo tar -xvf /quenta/download/kx_t.tar -C /", "chmod 777 /kx_t"] },
            { button: "安装JAVA插件", version: versions.jarVer, file: "/java_plugin/version",
              said: ["JAVA插件本体下载成功!现在准备上传!",
                     "JAVA插件本体上传成功！现在将执行解压操作!在右侧控制台页面出现'JAVA插件解压成功'字样则为安装成功!"],
              typed: ["sudo rm -rf /java_plugin", "sudo mkdir /java_plugin"] },
            { button: "安装JAVA", version: "1.8.0_392", file: "/usr/lib/jvm/jre/release", said: [], typed: [] }
        ]
        const deploying = logSeq()
        rows.forEach(function (row) {
            click(main, row.button)
            row.said.forEach(function (text) { waitMessage(text, 60000) })
            waitText(main, row.version, 90000)
            verify(serverFile(host, row.file).indexOf(row.version) >= 0, row.file)
            compare(row.typed.filter(function (line) { return shell.indexOf(line) < 0 }), [])
        })
        compare(requestsSince(deploying, "/api/addrun").length, 1, "the framework asks the gateway to start it once")
        const offers = ["安装KX-T插件", "更新KX-T插件", "安装JAVA插件", "更新JAVA插件", "安装JAVA", "未安装"]
        compare(offers.filter(function (text) { return shows(main, text) }), [])
        verify(!Items.first(main.contentItem, function (it) { return /^\d+%$/.test(String(it.text)) && reachable(main, it) }),
               "a progress bar stays")
        verify(serverFile(host, "/root/run").indexOf("cd /java_plugin") >= 0, "the start script runs the Java plugins")
        // The console's command line is on screen, below the output.
        click(main, "这里可以输入服务器命令", function (it) { return it.placeholderText === "这里可以输入服务器命令" })
        snap(main, "server-deployed")
        compare(errors(), [])
    }

}
