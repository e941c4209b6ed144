/*
 * Pictavo gallery script. Pages embed the gallery with
 * swfobject.embedSWF(swf, elementId, width, height, version, expressInstall,
 * flashvars, params, attributes[, callback]); browsers no longer run Flash, so
 * this script shows the gallery in HTML instead, read from the XML
 * configuration that flashvars.xmlPath names.
 */
var swfobject = (function () {
    "use strict";

    function whenReady(action) {
        if (document.readyState === "loading") {
            document.addEventListener("DOMContentLoaded", action);
        } else {
            action();
        }
    }

    function readConfiguration(xml) {
        var config = { params: {}, items: [] };
        var nodes = xml.documentElement ? xml.documentElement.childNodes : [];
        for (var i = 0; i < nodes.length; i++) {
            var node = nodes[i];
            if (node.nodeType !== 1 || node.nodeName !== "item") {
                continue;
            }
            if (node.hasAttribute("param")) {
                config.params[node.getAttribute("param")] = node.getAttribute("value");
            } else {
                config.items.push({
                    thumb: node.getAttribute("thumbimage") || "",
                    large: node.getAttribute("largeimage") || "",
                    title: node.getAttribute("title") || "",
                    url: node.getAttribute("url") || "",
                    target: node.getAttribute("target") || "_self",
                    description: node.textContent.trim()
                });
            }
        }
        return config;
    }

    function show(stage, config, index) {
        var item = config.items[index];
        var large = stage.querySelector(".pictavo-large");
        large.src = item.large;
        large.alt = item.title;
        large.onclick = item.url ? function () { window.open(item.url, item.target); } : null;
        large.style.cursor = item.url ? "pointer" : "default";
        stage.querySelector(".pictavo-title").textContent = item.title;
    }

    function render(element, config, width, height, id) {
        var p = config.params;
        var stage = document.createElement("div");
        stage.id = id;
        stage.className = "pictavo-gallery";
        stage.style.cssText = "position:relative;overflow:hidden;background:#000;width:" + width +
            "px;height:" + height + "px";
        var large = document.createElement("img");
        large.className = "pictavo-large";
        large.style.cssText = "display:block;width:" + p.largeImageWidth + "px;height:" + p.largeImageHeight + "px";
        stage.appendChild(large);
        var title = document.createElement("div");
        title.className = "pictavo-title";
        title.style.cssText = "position:absolute;left:8px;top:4px;font-family:sans-serif;font-size:" +
            p.imageTitleFontSize + "px;color:#" + String(p.imageTitleFontColor || "0xFFFF00").slice(2);
        stage.appendChild(title);
        var bar = document.createElement("div");
        bar.style.cssText = "position:absolute;left:" + p.thumbImagesX + "px;top:" + p.thumbImagesY +
            "px;width:" + p.thumbImagesBarWidth + "px;white-space:nowrap;overflow-x:auto";
        config.items.forEach(function (item, index) {
            var thumb = document.createElement("img");
            thumb.src = item.thumb;
            thumb.alt = item.title;
            thumb.style.cssText = "width:" + p.thumbImageWidth + "px;height:" + p.thumbImageHeight +
                "px;margin-right:" + p.thumbImagesHorizontalPadding + "px;cursor:pointer";
            thumb.onclick = function () { show(stage, config, index); };
            bar.appendChild(thumb);
        });
        stage.appendChild(bar);
        element.parentNode.replaceChild(stage, element);
        if (config.items.length > 0) {
            show(stage, config, 0);
        }
        return stage;
    }

    function embedSWF(swfUrl, replaceElemId, width, height, version, expressInstallUrl,
                      flashvars, params, attributes, callback) {
        var id = (attributes && attributes.id) || replaceElemId;
        var report = function (success, element) {
            if (typeof callback === "function") {
                callback({ success: success, id: id, ref: element });
            }
        };
        whenReady(function () {
            var element = document.getElementById(replaceElemId);
            if (!element || !flashvars || !flashvars.xmlPath) {
                report(false, undefined);
                return;
            }
            var request = new XMLHttpRequest();
            request.open("GET", flashvars.xmlPath);
            request.onload = function () {
                var xml = request.responseXML ||
                    new DOMParser().parseFromString(request.responseText, "application/xml");
                if ((request.status !== 200 && request.status !== 0) || !xml || !xml.documentElement ||
                        xml.documentElement.nodeName !== "tvimagegallery") {
                    report(false, element);
                    return;
                }
                report(true, render(element, readConfiguration(xml), width, height, id));
            };
            // Without its configuration the page keeps its alternative picture.
            request.onerror = function () { report(false, element); };
            request.send();
        });
    }

    return {
        embedSWF: embedSWF,
        hasFlashPlayerVersion: function () { return false; },
        getFlashPlayerVersion: function () { return { major: 0, minor: 0, release: 0 }; }
    };
}());
