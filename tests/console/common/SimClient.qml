import QtQuick 2.15

// Talks to the simulator the tests run against: its control interface, its request
// log and plain platform requests, each answer collected into a record that a test
// waits for with tryVerify(function() { return record.done }). A `binary` request
// keeps the answer's bytes instead of its text.
QtObject {
    readonly property string baseUrl: fixture.sim.base_url
    readonly property string controlUrl: fixture.sim.control_url
    readonly property var gatewayHosts: fixture.sim.gateway_hosts

    function request(method, url, body, token, binary) {
        var record = { done: false, status: 0, text: "", json: null, bytes: null }
        var xhr = new XMLHttpRequest()
        xhr.onreadystatechange = function() {
            if (xhr.readyState !== XMLHttpRequest.DONE)
                return
            record.status = xhr.status
            if (binary)
                record.bytes = xhr.response ? new Uint8Array(xhr.response) : null
            else
                record.text = xhr.responseText
            try {
                record.json = JSON.parse(record.text)
            } catch (e) {
                record.json = null
            }
            record.done = true
        }
        xhr.open(method, url)
        if (binary)
            xhr.responseType = "arraybuffer"
        xhr.setRequestHeader("Content-Type", "application/json")
        if (token)
            xhr.setRequestHeader("Authorization", token)
        xhr.send(body === undefined ? "" : JSON.stringify(body))
        return record
    }

    function control(path, body) {
        return request("POST", controlUrl + path, body === undefined ? {} : body)
    }

    function platform(path, body, token) {
        return request("POST", baseUrl + path, body, token)
    }

    function gateway(host, path, body) {
        return request("POST", "http://" + host + ":" + fixture.sim.gateway_port + path, body === undefined ? {} : body)
    }

    function log(since) {
        return request("GET", controlUrl + "/log?since=" + (since || 0))
    }
}
