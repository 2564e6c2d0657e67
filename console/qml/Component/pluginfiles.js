.pragma library

// Queued plugin transfers live longer than the window that queued them, so they
// are built here, out of any window's context, from the singletons handed in.

// Configuration files (any name holding ".json") share one folder on the server;
// the other files go into the plugin's own.
function remoteDir(project, file) {
    return file.indexOf(".json") !== -1 ? "/kx_t/OfficialConfig/" : "/kx_t/OfficialProject/" + project + "/";
}

function configOf(entry) {
    return entry && entry.ProjectConfig ? String(entry.ProjectConfig) : "";
}

function filesOf(entry) {
    return entry && Array.isArray(entry.ProjectFiles) ? entry.ProjectFiles.map(String) : [];
}

// The queue runs the newest task first: "Proj.ifo", queued first, arrives last.
function installOrder(entry) {
    const config = configOf(entry);
    return ["Proj.ifo"].concat(config ? [config] : [], filesOf(entry));
}

function updateOrder(entry) {
    const config = configOf(entry);
    return ["Proj.ifo"].concat(filesOf(entry), config ? [config] : []);
}

// The first of the names that must not become a path or a shell word, or null.
function firstUnsafe(globals, names) {
    for (let i = 0; i < names.length; ++i) {
        if (!globals.isSafeName(names[i]))
            return { name: names[i] };
    }
    return null;
}

// One task per file: download it from the platform, upload it to the gateway of
// `host` (none: no upload), report. `afterFile(file)` runs after a task's report.
function queueFiles(globals, transfer, queue, project, files, host, afterFile) {
    if (!queue) {
        console.warn("No transfer queue: nothing queued for", project);
        return;
    }
    const platform = globals.server_url;
    files.forEach(function(file) {
        const key = project + ":" + file;
        const local = "download/" + file;
        const steps = [
            function(task) {
                task.status = 1;
                transfer.postDownload(platform + "/kxt/download/" + encodeURIComponent(project) + ":" + encodeURIComponent(file),
                                      local, { key: key }, "quest");
            },
            function(task) {
                if (!host) {
                    task.instruction = true;
                    return;
                }
                task.status = 1;
                transfer.postUpload(globals.gatewayBase(host) + "/api/uploadfiles", local, remoteDir(project, file), "quest");
            },
            function(task) {
                globals.notify("success", "文件 :" + key + "  已下载并上传至服务器!");
                if (afterFile)
                    afterFile(file);
                task.instruction = true;
            }
        ];
        queue.addQuest(key, steps);
    });
}

// One task: the platform's package of `project` (the zip the platform builds for it) saved as
// `fileName` in the local `folder`.
function queuePackageDownload(globals, transfer, queue, project, folder, fileName) {
    if (!queue) {
        console.warn("No transfer queue: nothing queued for", fileName);
        return;
    }
    const savePath = folder.replace(/\/+$/, "") + "/" + fileName;
    const url = globals.server_url + "/quenta/download";
    queue.addQuest(fileName, [
        function(task) {
            task.status = 1;
            transfer.postDownload(url, savePath, { projectName: project }, "quest");
        },
        function(task) {
            globals.notify("success", savePath + "已下载完成!");
            task.instruction = true;
        }
    ]);
}

// Configuration text from the gateway: Base64 of UTF-8 text, or a JSON value.
function configText(value, base64) {
    if (value === undefined || value === null)
        return "";
    if (!base64)
        return JSON.stringify(value, null, 2);
    const bytes = Qt.atob(String(value));
    try {
        return decodeURIComponent(escape(bytes));
    } catch (e) {
        return bytes;
    }
}

// The last step of an update refreshes the server's plugin list and closes the
// window while it is still open (`opened.window`, cleared when it goes).
function updateFinisher(globals, host, opened) {
    return function(file) {
        if (file !== "Proj.ifo")
            return;
        globals.getServerPlugins(host);
        if (opened.window)
            opened.window.close();
    };
}
