pragma Singleton
import QtQuick 2.15
import QmlTool 1.0
import ServiceLines 1.0
import Platform 1.0

QtObject {
    id: globals

    // The two service lines of the login page; KXT_SERVER_URL replaces the first.
    property var serverLines: [
        { label: "高速线路", value: ServiceLines.overrideUrl !== "" ? ServiceLines.overrideUrl : Platform.defaultUrl },
        { label: "备用线路", value: "https://backup.kxt.example" }
    ]

    readonly property string tool_version: Platform.version
    property var all_Version: null
    property string server_url: serverLines[0].value

    property var main_Window: null
    property var page_home: null
    property var tab_shop: null
    property var tab_server: null
    property var tab_personal: null
    property var downlad_quest_window: null
    property var msg_control: null

    property string token: ""

    property var serverPluginList: null
    property var serverPluginMap: null
    property var serverPluginexMap: null
    property var serverAdvertisement: null
    property var accServerList: null
    property var accInfo: null

    property string sshConnectServer: ""
    property int selectServer: 0

    property var myServerPluginList: null
    property var myServerPluginMap: null
    property var myServerExPluginMap: null

    readonly property string gatewayUnreachableText: "服务器kxt管理网关未启动,请前往'个人中心'重新添加服务器 或 询问管理员!"

    function notify(kind, text) {
        if (msg_control)
            msg_control[kind](text)
        else
            console.warn(kind + ":", text)
    }

    // Plugin and file names come from the platform and the gateways and become local
    // paths, server paths and words of shell lines: one that could leave its folder,
    // end a quoted word or start a new line is refused.
    function isSafeName(name) {
        if (typeof name !== "string" || name === "" || name === "." || name === "..")
            return false
        return !/[\/\\'\0\r\n]/.test(name)
    }

    // A plain object rather than an Error: it reads as its bare text both as
    // error.message and when a page shows the error itself.
    function requestError(text) {
        return { message: text, toString: function() { return text } }
    }

    function finishRequest(xhr, url, callback) {
        if (xhr.status !== 200) {
            callback(requestError("请求失败，状态码: " + xhr.status), xhr.responseText)
            return
        }
        var answer
        try {
            answer = JSON.parse(xhr.responseText)
        } catch (e) {
            console.warn("Not a JSON answer from", url, ":", e.message)
            callback(requestError("请求失败，响应不是有效的JSON"), xhr.responseText)
            return
        }
        callback(null, answer)
    }

    function sendPostRequest(url, jsonData, callback) {
        var xhr = new XMLHttpRequest()
        xhr.onreadystatechange = function() {
            if (xhr.readyState !== XMLHttpRequest.DONE)
                return
            if (xhr.status !== 200)
                console.log("HTTP Status Code:", xhr.status, url)
            finishRequest(xhr, url, callback)
        }
        xhr.open("POST", server_url + url)
        xhr.setRequestHeader("Content-Type", "application/json")
        if (token !== "")
            xhr.setRequestHeader("Authorization", token)
        xhr.send(JSON.stringify(jsonData))
    }

    function sendPostRequestByIp(ip, url, jsonData, callback) {
        var xhr = new XMLHttpRequest()
        xhr.onreadystatechange = function() {
            if (xhr.readyState === XMLHttpRequest.DONE)
                finishRequest(xhr, ip + url, callback)
        }
        xhr.open("POST", ip + url)
        xhr.setRequestHeader("Content-Type", "application/json")
        if (jsonData === null || jsonData === undefined)
            xhr.send()
        else
            xhr.send(JSON.stringify(jsonData))
    }

    function gatewayBase(ip) {
        return "http://" + ip + ":65170"
    }

    // Later entries with the same ProjectName replace earlier ones.
    function mapByProjectName(list) {
        var map = {}
        if (Array.isArray(list)) {
            for (var i = 0; i < list.length; ++i)
                map[list[i].ProjectName] = list[i]
        }
        return map
    }

    // Versions are decimal numbers: "2.10" is 2.1, older than "2.8".
    function checkToolVersion() {
        if (!all_Version || !(parseFloat(all_Version.toolVer) > parseFloat(tool_version)))
            return
        // QmlTool looks for the updater beside the console and ends the console once it runs.
        if (!QmlTool.runExe("Renewer.exe " + server_url))
            notify("error", "无法启动更新程序")
    }

    function getAllVersion() {
        sendPostRequest("/quenta/getversion", {}, function(error, answer) {
            if (error) {
                notify("error", "获取版本失败!")
                return
            }
            all_Version = answer
            checkToolVersion()
        })
    }

    function getShopAllProject() {
        sendPostRequest("/kxt/getlist", {}, function(error, answer) {
            if (error) {
                serverPluginMap = null
                serverPluginList = null
                notify("error", "获取服务器插件列表失败!")
                return
            }
            var list = answer ? answer.list : undefined
            serverPluginMap = mapByProjectName(list)
            serverPluginList = list
        })
    }

    function getShopAllProjectex() {
        sendPostRequest("/quenta/getProjectInfoList", {}, function(error, answer) {
            if (error) {
                serverPluginexMap = null
                notify("error", "获取服务器双端插件列表失败!")
                return
            }
            var data = answer ? answer.data : undefined
            if (data && typeof data === "object") {
                for (var key in data) {
                    if (data[key] && typeof data[key] === "object")
                        data[key].ProjectName = key
                }
            }
            serverPluginexMap = data
        })
    }

    function getAllAdvertisement(callBack) {
        sendPostRequest("/kxt/getadvertisement", {}, function(error, answer) {
            if (error) {
                notify("error", "获取服务器广告列表失败!")
                return
            }
            callBack(answer)
        })
    }

    function buyExPlugin(Name, Ip) {
        sendPostRequest("/quenta/buy", { projectName: Name, ip: Ip }, function(error, answer) {
            if (error) {
                notify("error", "购买失败!")
            } else if (!answer || Number(answer.code) !== 200) {
                notify("error", "购买失败!\t" + (answer ? answer.message : ""))
            } else {
                notify("success", "购买成功!\t到期时间: " + (answer.data ? answer.data.endTime : ""))
            }
        })
    }

    function getAccServerList() {
        sendPostRequest("/quenta/getServerList", {}, function(error, answer) {
            if (error) {
                notify("error", "获取账号服务器列表失败!")
                return
            }
            accServerList = answer ? answer.data : undefined
        })
    }

    function getAccInfo() {
        sendPostRequest("/quenta/getInfo", {}, function(error, answer) {
            if (error) {
                notify("error", "获取账号信息失败!")
                return
            }
            accInfo = answer ? answer.data : undefined
        })
    }

    function removeServer(remove_ip) {
        sendPostRequest("/quenta/deleteServer", { ip: remove_ip }, function(error) {
            if (error) {
                notify("error", "删除服务器失败!")
                return
            }
            notify("success", "删除服务器成功!")
            getAccServerList()
        })
    }

    function addServer(obj) {
        sendPostRequest("/quenta/addServer", obj, function(error) {
            if (error) {
                notify("error", "操作服务器失败!")
                return
            }
            notify("success", "操作服务器成功!")
            getAccServerList()
        })
    }

    // Kinds 0 to 2 report each component (framework, Java plugin package, Java runtime);
    // any call of kind 3 means the gateway answered.
    function getServerInfo(ip, callback) {
        var componentPaths = ["/getkxtinfo", "/getjavapinfo", "/getjavainfo"]
        componentPaths.forEach(function(path, kind) {
            sendPostRequestByIp(ip, path, {}, function(error, answer) {
                if (!error && answer && answer.info !== null && answer.info !== undefined)
                    callback(true, kind, answer.info)
                else
                    callback(false, kind, 0)
            })
        })
        sendPostRequestByIp(ip, "/api/hello", {}, function(error) {
            if (error)
                notify("error", gatewayUnreachableText)
            else
                callback(false, 3, true)
        })
    }

    function getServerPlugins(ip) {
        sendPostRequestByIp(gatewayBase(ip), "/api/getallplugins", {}, function(error, answer) {
            if (error) {
                myServerPluginMap = null
                myServerPluginList = null
                return
            }
            myServerPluginMap = mapByProjectName(answer)
            myServerPluginList = answer
        })
    }

    function getServerExPlugins(ipk) {
        sendPostRequest("/quenta/getUserProList", { ip: ipk }, function(error, answer) {
            myServerExPluginMap = error || !answer ? null : answer.data
        })
    }

    // `done(ok)`, when given, lets the caller undo what it showed before the answer.
    function setServerExPluginsEnable(ipk, projectname, cstate, done) {
        sendPostRequest("/quenta/setproopen", { ip: ipk, projectName: projectname, open: cstate }, function(error) {
            if (!error && Number(cstate) === 1)
                notify("success", "开启成功")
            if (typeof done === "function")
                done(!error)
        })
    }

    function getServerPluginConfig(ip, filename, callback) {
        sendPostRequestByIp(gatewayBase(ip), "/api/getpluginconfig", { filename: filename }, function(error, answer) {
            callback(error ? null : answer)
        })
    }

    // `done(success)`, when given, hears the outcome after the message.
    function setServerPluginConfig(ip, filename, config, done) {
        sendPostRequestByIp(gatewayBase(ip), "/api/setpluginconfig", { filename: filename, config: config }, function(error) {
            if (error)
                notify("error", "配置修改失败!")
            else
                notify("success", "配置修改成功!")
            if (typeof done === "function")
                done(!error)
        })
    }

    function backupServerPluginConfig(ip, filename, callback) {
        sendPostRequestByIp(gatewayBase(ip), "/api/backuppluginconfig", { filename: filename }, function(error, answer) {
            callback(error ? null : answer)
        })
    }

    function reqsupportlink(gtype, gcount) {
        sendPostRequest("/zf/create", { type: gtype, price: gcount }, function(error, answer) {
            if (error) {
                notify("error", "请求失败!" + error.message)
                return
            }
            var link = answer ? String(answer.data) : ""
            if (link.indexOf("https") !== -1)
                Qt.openUrlExternally(link)
            else
                notify("error", "请求失败!" + link)
        })
    }
}
