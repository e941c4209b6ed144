/*
 * Pictavo gallery player.
 *
 * Pages embed a gallery with the classic call
 *   swfobject.embedSWF(swfUrl, elementId, width, height, version,
 *                      expressInstallUrl, flashvars, params, attributes[, callback])
 * Browsers no longer run Flash, so this script renders the gallery in HTML in
 * place of the element instead, from the XML configuration that
 * flashvars.xmlPath names. No build step and no dependency.
 */
var swfobject = (function () {
    "use strict";

    var SVG = "http://www.w3.org/2000/svg";
    var ICONS = {
        play: "M7 4.5v15l12-7.5z",
        pause: "M6 4.5h4.5v15H6zm7.5 0H18v15h-4.5z",
        previous: "M15.5 4.5 8 12l7.5 7.5 1.6-1.6L11.2 12l5.9-5.9z",
        next: "M8.5 4.5 16 12l-7.5 7.5-1.6-1.6 5.9-5.9-5.9-5.9z"
    };
    var stylesAdded = false;

    function addStyles() {
        if (stylesAdded) {
            return;
        }
        stylesAdded = true;
        var css =
            ".pictavo-frame{position:relative;max-width:100%;overflow:hidden}" +
            ".pictavo-stage{position:absolute;left:0;top:0;overflow:hidden;transform-origin:0 0;" +
            "font-family:system-ui,-apple-system,'Segoe UI',Roboto,sans-serif;user-select:none;-webkit-user-select:none}" +
            ".pictavo-stage:focus-visible{outline:3px solid #4d90fe;outline-offset:-3px}" +
            ".pictavo-large{position:absolute;left:0;top:0;overflow:hidden;background:#111}" +
            ".pictavo-large img{position:absolute;left:0;top:0;width:100%;height:100%;display:block;" +
            "transition:opacity .45s ease}" +
            ".pictavo-large a{position:absolute;inset:0;display:block}" +
            ".pictavo-placeholder{position:absolute;inset:0;display:flex;align-items:center;justify-content:center;" +
            "background:#2a2a2a;color:#8a8a8a;font-size:14px}" +
            ".pictavo-button{position:absolute;width:22px;height:22px;padding:0;border:0;border-radius:3px;" +
            "background:rgba(0,0,0,.55);color:#fff;cursor:pointer;z-index:3}" +
            ".pictavo-button:hover{background:rgba(0,0,0,.8)}" +
            ".pictavo-button:focus-visible{outline:2px solid #4d90fe;outline-offset:1px}" +
            ".pictavo-button svg{width:18px;height:18px;margin:2px;fill:currentColor;display:block}" +
            ".pictavo-title{position:absolute;left:8px;right:8px;white-space:nowrap;overflow:hidden;" +
            "text-overflow:ellipsis;text-shadow:0 1px 3px rgba(0,0,0,.9);pointer-events:none;z-index:2}" +
            ".pictavo-band{position:absolute;overflow:hidden;background:rgba(0,0,0,.55);padding:6px 10px;" +
            "box-sizing:border-box;pointer-events:none;z-index:2}" +
            ".pictavo-band .pictavo-title{position:static}" +
            ".pictavo-description{margin-top:4px;line-height:1.3;overflow:hidden}" +
            ".pictavo-bar{position:absolute;overflow:hidden;touch-action:pan-y}" +
            ".pictavo-strip{position:absolute;left:0;top:0;height:100%;display:flex;transition:transform .3s ease}" +
            ".pictavo-thumb{position:relative;flex:none;padding:0;border:0;margin:0;background:#222;cursor:pointer}" +
            ".pictavo-thumb img{display:block;width:100%;height:100%}" +
            ".pictavo-thumb:focus-visible{outline:2px solid #4d90fe;outline-offset:-2px}" +
            ".pictavo-focus{position:absolute;inset:0;box-sizing:border-box;pointer-events:none}" +
            ".pictavo-scroll{position:absolute;top:0;width:22px;height:100%;border:0;padding:0;cursor:pointer;" +
            "background:rgba(0,0,0,.6);color:#fff;z-index:2}" +
            ".pictavo-scroll svg{width:18px;height:18px;margin:auto;fill:currentColor;display:block}" +
            ".pictavo-tooltip{position:absolute;padding:2px 6px;background:rgba(0,0,0,.75);border-radius:3px;" +
            "white-space:nowrap;pointer-events:none;z-index:4}" +
            ".pictavo-note{font:13px/1.4 system-ui,sans-serif;color:#b00;margin:4px 0}" +
            ".pictavo-stage [hidden]{display:none!important}" +
            "@media (prefers-reduced-motion:reduce){.pictavo-large img,.pictavo-strip{transition:none}}";
        var style = document.createElement("style");
        style.textContent = css;
        (document.head || document.documentElement).appendChild(style);
    }

    function whenReady(action) {
        if (document.readyState === "loading") {
            document.addEventListener("DOMContentLoaded", action);
        } else {
            action();
        }
    }

    function element(tag, className, parent) {
        var node = document.createElement(tag);
        if (className) {
            node.className = className;
        }
        if (parent) {
            parent.appendChild(node);
        }
        return node;
    }

    function icon(name) {
        var svg = document.createElementNS(SVG, "svg");
        svg.setAttribute("viewBox", "0 0 24 24");
        svg.setAttribute("aria-hidden", "true");
        var path = document.createElementNS(SVG, "path");
        path.setAttribute("d", ICONS[name]);
        svg.appendChild(path);
        return svg;
    }

    function integer(value, fallback) {
        var n = parseInt(value, 10);
        return isNaN(n) ? fallback : n;
    }

    // "0xRRGGBB" (or "RRGGBB") with an opacity in percent as a CSS colour.
    function colour(value, fallback, alphaPercent) {
        var hex = String(value || "").replace(/^0x|^#/i, "");
        if (!/^[0-9a-f]{6}$/i.test(hex)) {
            hex = fallback;
        }
        var alpha = alphaPercent === undefined ? 1 : Math.max(0, Math.min(100, alphaPercent)) / 100;
        return "rgba(" + parseInt(hex.slice(0, 2), 16) + "," + parseInt(hex.slice(2, 4), 16) + "," +
            parseInt(hex.slice(4, 6), 16) + "," + alpha + ")";
    }

    function readConfiguration(xml) {
        var root = xml && xml.documentElement;
        if (!root || root.nodeName !== "tvimagegallery" || xml.getElementsByTagName("parsererror").length) {
            return null;
        }
        var config = { params: {}, items: [] };
        for (var node = root.firstElementChild; node; node = node.nextElementSibling) {
            if (node.nodeName !== "item") {
                continue;
            }
            if (node.hasAttribute("param")) {
                config.params[node.getAttribute("param")] = node.getAttribute("value");
                continue;
            }
            var description = node.textContent.trim();
            config.items.push({
                thumb: node.getAttribute("thumbimage") || "",
                large: node.getAttribute("largeimage") || "",
                title: node.getAttribute("title") || "",
                url: node.getAttribute("url") || "",
                target: node.getAttribute("target") || "_self",
                description: description === "&nbsp;" ? "" : description
            });
        }
        return config;
    }

    function settings(params, width, height) {
        var p = params;
        return {
            width: integer(width, 0) || integer(p.largeImageWidth, 667),
            height: integer(height, 0) || integer(p.largeImageHeight, 375) + integer(p.thumbImageHeight, 75),
            largeWidth: integer(p.largeImageWidth, 667),
            largeHeight: integer(p.largeImageHeight, 375),
            thumbWidth: integer(p.thumbImageWidth, 133),
            thumbHeight: integer(p.thumbImageHeight, 75),
            barX: integer(p.thumbImagesX, 0),
            barY: integer(p.thumbImagesY, integer(p.largeImageHeight, 375)),
            barWidth: integer(p.thumbImagesBarWidth, integer(p.largeImageWidth, 667)),
            padding: Math.max(0, integer(p.thumbImagesHorizontalPadding, 0)),
            shadowAlpha: integer(p.thumbImageShadowAlpha, 30),
            autoPlay: p.enableAutoPlay === "1",
            delay: Math.max(1, integer(p.autoPlayDelay, 5)),
            buttons: {
                play: { visible: p.playButtonVisible === "1", x: integer(p.playButtonX, 3), y: integer(p.playButtonY, 2) },
                previous: { visible: p.prevButtonVisible === "1", x: integer(p.prevButtonX, 27), y: integer(p.prevButtonY, 2) },
                next: { visible: p.nextButtonVisible === "1", x: integer(p.nextButtonX, 51), y: integer(p.nextButtonY, 2) }
            },
            focusWidth: Math.max(0, integer(p.focusedBoxBorderWidth, 3)),
            focusColour: colour(p.focusedBoxBorderColor, "FFFF00", integer(p.focusedBoxBorderAlpha, 80)),
            showDescription: p.showDescriptionBox === "1",
            descriptionX: integer(p.descriptionBoxX, 0),
            descriptionY: integer(p.descriptionBoxY, 267),
            descriptionHeight: integer(p.descriptionBoxHeight, 75),
            showTooltip: p.showThumbImageTooltip === "1",
            tooltipX: integer(p.thumbImageTooltipX, 10),
            tooltipY: integer(p.thumbImageTooltipY, 4),
            titleColour: colour(p.imageTitleFontColor, "FFFF00"),
            titleSize: Math.max(1, integer(p.imageTitleFontSize, 20)),
            tooltipColour: colour(p.imageTooltipFontColor, "FFFFFF"),
            tooltipSize: Math.max(1, integer(p.imageTooltipFontSize, 10)),
            descriptionColour: colour(p.imageDescFontColor, "C0C0C0"),
            descriptionSize: Math.max(1, integer(p.imageDescFontSize, 10))
        };
    }

    function place(node, x, y, width, height) {
        node.style.left = x + "px";
        node.style.top = y + "px";
        if (width !== undefined) {
            node.style.width = width + "px";
        }
        if (height !== undefined) {
            node.style.height = height + "px";
        }
    }

    function Player(replaced, config, id, width, height, background) {
        var s = settings(config.params, width, height);
        var items = config.items;
        var self = this;
        var current = -1;
        var timer = null;
        var playing = s.autoPlay && items.length > 1;
        var offset = 0;
        var reducedMotion = window.matchMedia && window.matchMedia("(prefers-reduced-motion: reduce)").matches;

        addStyles();
        var frame = element("div", "pictavo-frame");
        var stage = element("div", "pictavo-stage", frame);
        stage.id = id;
        stage.tabIndex = 0;
        stage.setAttribute("role", "region");
        stage.setAttribute("aria-roledescription", "gallery");
        stage.setAttribute("aria-label", "Picture gallery");
        stage.style.width = s.width + "px";
        stage.style.height = s.height + "px";
        stage.style.background = colour(background, "FFFFFF");

        // The large picture, a link when the item has one.
        var large = element("div", "pictavo-large", stage);
        place(large, 0, 0, s.largeWidth, s.largeHeight);
        var link = element("a", "", large);
        var picture = element("img", "", link);
        picture.draggable = false;
        var placeholder = element("div", "pictavo-placeholder", large);
        placeholder.textContent = "Picture not available";
        placeholder.hidden = true;
        picture.addEventListener("error", function () {
            picture.style.visibility = "hidden";
            placeholder.hidden = false;
        });
        picture.addEventListener("load", function () {
            picture.style.visibility = "";
            placeholder.hidden = true;
            picture.style.opacity = "1";
        });

        // The title, and the description band when it is shown.
        var title = element("div", "pictavo-title");
        title.style.color = s.titleColour;
        title.style.fontSize = s.titleSize + "px";
        var description = null;
        if (s.showDescription) {
            var band = element("div", "pictavo-band", stage);
            place(band, s.descriptionX, s.descriptionY, s.largeWidth - s.descriptionX, s.descriptionHeight);
            band.appendChild(title);
            description = element("div", "pictavo-description", band);
            description.style.color = s.descriptionColour;
            description.style.fontSize = s.descriptionSize + "px";
        } else {
            stage.appendChild(title);
            title.style.top = Math.max(0, s.largeHeight - s.titleSize * 1.4 - 8) + "px";
        }
        var live = element("div", "", stage);
        live.setAttribute("aria-live", "polite");
        live.style.cssText = "position:absolute;width:1px;height:1px;overflow:hidden;clip:rect(0 0 0 0)";

        // The buttons over the large picture.
        function button(name, label, spot, action) {
            var b = element("button", "pictavo-button", stage);
            b.type = "button";
            b.setAttribute("aria-label", label);
            b.title = label;
            b.appendChild(icon(name));
            place(b, spot.x, spot.y);
            b.hidden = !spot.visible;
            b.addEventListener("click", function (event) {
                event.stopPropagation();
                action();
            });
            return b;
        }
        var playButton = button(playing ? "pause" : "play", playing ? "Pause" : "Play", s.buttons.play,
            function () { self.toggle(); });
        button("previous", "Previous picture", s.buttons.previous, function () { self.step(-1, true); });
        button("next", "Next picture", s.buttons.next, function () { self.step(1, true); });

        // The thumbnail bar, scrolled when its thumbnails do not fit.
        var bar = element("div", "pictavo-bar", stage);
        place(bar, s.barX, s.barY, s.barWidth, s.thumbHeight);
        var strip = element("div", "pictavo-strip", bar);
        strip.setAttribute("role", "list");
        var thumbs = items.map(function (item, index) {
            var thumb = element("button", "pictavo-thumb", strip);
            thumb.type = "button";
            thumb.setAttribute("role", "listitem");
            thumb.setAttribute("aria-label", (item.title || "Picture") + " (" + (index + 1) + " of " + items.length + ")");
            thumb.style.width = s.thumbWidth + "px";
            thumb.style.height = s.thumbHeight + "px";
            thumb.style.marginRight = (index + 1 < items.length ? s.padding : 0) + "px";
            thumb.style.boxShadow = "2px 2px 4px " + colour("000000", "000000", s.shadowAlpha);
            var image = element("img", "", thumb);
            image.alt = item.title;
            image.draggable = false;
            image.src = item.thumb;
            image.addEventListener("error", function () { image.style.visibility = "hidden"; });
            var focus = element("div", "pictavo-focus", thumb);
            focus.style.border = s.focusWidth + "px solid " + s.focusColour;
            focus.hidden = true;
            thumb.addEventListener("click", function () {
                if (!dragged) {
                    self.show(index, true);
                }
            });
            return thumb;
        });
        var stripWidth = items.length * s.thumbWidth + Math.max(0, items.length - 1) * s.padding;
        var scrollable = stripWidth > s.barWidth;
        var scrollBack = null;
        var scrollOn = null;
        if (scrollable) {
            scrollBack = element("button", "pictavo-scroll", bar);
            scrollBack.style.left = "0";
            scrollOn = element("button", "pictavo-scroll", bar);
            scrollOn.style.right = "0";
            [[scrollBack, "previous", "Scroll thumbnails back", -1], [scrollOn, "next", "Scroll thumbnails on", 1]]
                .forEach(function (entry) {
                    entry[0].type = "button";
                    entry[0].setAttribute("aria-label", entry[2]);
                    entry[0].appendChild(icon(entry[1]));
                    entry[0].addEventListener("click", function () { scrollTo(offset + entry[3] * s.barWidth * 0.8); });
                });
        }

        function scrollTo(value) {
            offset = Math.max(0, Math.min(stripWidth - s.barWidth, value));
            strip.style.transform = "translateX(" + -offset + "px)";
            if (scrollBack) {
                scrollBack.hidden = offset <= 0;
                scrollOn.hidden = offset >= stripWidth - s.barWidth;
            }
        }

        function keepInView(index) {
            if (!scrollable) {
                return;
            }
            var left = index * (s.thumbWidth + s.padding);
            var margin = scrollBack ? 22 : 0;
            if (left - margin < offset) {
                scrollTo(left - margin);
            } else if (left + s.thumbWidth + margin > offset + s.barWidth) {
                scrollTo(left + s.thumbWidth + margin - s.barWidth);
            }
        }

        // Wheel, drag and swipe move the strip.
        var dragged = false;
        if (scrollable) {
            bar.addEventListener("wheel", function (event) {
                event.preventDefault();
                scrollTo(offset + (Math.abs(event.deltaX) > Math.abs(event.deltaY) ? event.deltaX : event.deltaY));
            }, { passive: false });
            var start = null;
            bar.addEventListener("pointerdown", function (event) {
                start = { x: event.clientX, offset: offset };
                dragged = false;
            });
            bar.addEventListener("pointermove", function (event) {
                if (!start) {
                    return;
                }
                var moved = event.clientX - start.x;
                if (Math.abs(moved) > 5) {
                    dragged = true;
                    strip.style.transition = "none";
                    scrollTo(start.offset - moved / scale());
                }
            });
            var release = function () {
                start = null;
                strip.style.transition = "";
                setTimeout(function () { dragged = false; }, 0);
            };
            bar.addEventListener("pointerup", release);
            bar.addEventListener("pointercancel", release);
            bar.addEventListener("pointerleave", release);
        }

        // Tooltips over the thumbnails.
        if (s.showTooltip) {
            var tooltip = element("div", "pictavo-tooltip", stage);
            tooltip.style.color = s.tooltipColour;
            tooltip.style.fontSize = s.tooltipSize + "px";
            tooltip.hidden = true;
            thumbs.forEach(function (thumb, index) {
                thumb.addEventListener("pointermove", function (event) {
                    var box = stage.getBoundingClientRect();
                    var k = scale();
                    tooltip.textContent = items[index].title;
                    tooltip.hidden = !items[index].title;
                    var x = (event.clientX - box.left) / k + s.tooltipX;
                    var y = (event.clientY - box.top) / k + s.tooltipY;
                    place(tooltip, Math.min(x, s.width - tooltip.offsetWidth), Math.min(y, s.height - tooltip.offsetHeight));
                });
                thumb.addEventListener("pointerleave", function () { tooltip.hidden = true; });
            });
        }

        // Swipe over the large picture steps through the pictures.
        var swipe = null;
        large.addEventListener("pointerdown", function (event) {
            swipe = { x: event.clientX, y: event.clientY };
        });
        large.addEventListener("pointerup", function (event) {
            if (!swipe) {
                return;
            }
            var dx = event.clientX - swipe.x;
            var dy = event.clientY - swipe.y;
            swipe = null;
            if (Math.abs(dx) > 40 && Math.abs(dx) > Math.abs(dy) * 1.5) {
                self.step(dx < 0 ? 1 : -1, true);
            }
        });
        link.addEventListener("click", function (event) {
            if (!link.getAttribute("href")) {
                event.preventDefault();
            }
        });
        link.addEventListener("dragstart", function (event) { event.preventDefault(); });

        stage.addEventListener("keydown", function (event) {
            var keys = { ArrowLeft: -1, ArrowRight: 1 };
            if (event.altKey || event.ctrlKey || event.metaKey) {
                return;
            }
            if (event.key in keys) {
                self.step(keys[event.key], true);
            } else if (event.key === "Home") {
                self.show(0, true);
            } else if (event.key === "End") {
                self.show(items.length - 1, true);
            } else if (event.key === " " && event.target === stage) {
                self.toggle();
            } else {
                return;
            }
            event.preventDefault();
        });

        // Scaled down with its proportions kept when the container is narrower.
        function scale() {
            var available = frame.parentNode ? frame.parentNode.clientWidth : s.width;
            return available > 0 && available < s.width ? available / s.width : 1;
        }
        function fit() {
            var k = scale();
            stage.style.transform = k < 1 ? "scale(" + k + ")" : "";
            frame.style.width = s.width * k + "px";
            frame.style.height = s.height * k + "px";
        }

        function schedule() {
            clearTimeout(timer);
            timer = null;
            if (playing && !document.hidden && items.length > 1) {
                timer = setTimeout(function () { self.step(1, false); }, s.delay * 1000);
            }
        }

        function setPlaying(on) {
            playing = on && items.length > 1;
            playButton.replaceChild(icon(playing ? "pause" : "play"), playButton.firstChild);
            playButton.setAttribute("aria-label", playing ? "Pause" : "Play");
            playButton.title = playing ? "Pause" : "Play";
            live.setAttribute("aria-live", playing ? "off" : "polite");
            schedule();
        }

        this.show = function (index, byHand) {
            if (!items.length) {
                return;
            }
            index = (index % items.length + items.length) % items.length;
            if (byHand && playing) {
                setPlaying(false);
            }
            var item = items[index];
            if (index !== current) {
                if (!reducedMotion && current >= 0) {
                    picture.style.opacity = "0";
                }
                picture.alt = item.title;
                picture.src = item.large;
                if (!item.large) {
                    picture.style.visibility = "hidden";
                    placeholder.hidden = false;
                }
                if (current >= 0) {
                    thumbs[current].querySelector(".pictavo-focus").hidden = true;
                    thumbs[current].removeAttribute("aria-current");
                }
                thumbs[index].querySelector(".pictavo-focus").hidden = false;
                thumbs[index].setAttribute("aria-current", "true");
                current = index;
            }
            if (item.url) {
                var target = item.target === "_search" || item.target === "_media" ? "_blank" : item.target;
                link.href = item.url;
                link.target = target || "_self";
                link.rel = link.target === "_blank" ? "noopener" : "";
                link.style.cursor = "pointer";
            } else {
                link.removeAttribute("href");
                link.removeAttribute("target");
                link.style.cursor = "default";
            }
            title.textContent = item.title;
            if (description) {
                description.textContent = item.description;
            }
            live.textContent = (item.title || "Picture") + ", " + (index + 1) + " of " + items.length;
            keepInView(index);
            var next = items[(index + 1) % items.length];
            if (next.large) {
                new Image().src = next.large;
            }
            if (byHand && history.replaceState && items.length > 1) {
                history.replaceState(null, "", "#" + (index + 1));
            }
            schedule();
        };

        this.step = function (by, byHand) {
            self.show(current + by, byHand);
        };

        this.toggle = function () {
            setPlaying(!playing);
        };

        document.addEventListener("visibilitychange", schedule);
        window.addEventListener("resize", fit);
        if (window.ResizeObserver) {
            new ResizeObserver(fit).observe(replaced.parentNode);
        }

        replaced.parentNode.replaceChild(frame, replaced);
        fit();
        scrollTo(0);
        var wanted = /^#(\d+)$/.exec(location.hash);
        var first = wanted ? Math.min(Math.max(integer(wanted[1], 1), 1), items.length) - 1 : 0;
        setPlaying(playing);
        this.show(first, false);
        this.element = stage;
    }

    function explain(replaced, message) {
        var note = document.createElement("p");
        note.className = "pictavo-note";
        note.setAttribute("role", "status");
        note.textContent = message;
        replaced.appendChild(note);
    }

    // xmlPath is an address relative to the page, its file name percent-encoded;
    // messages name the file as the designer saved it.
    function fileNameOf(address) {
        try {
            return decodeURIComponent(address);
        } catch (e) {
            return address;
        }
    }

    function embedSWF(swfUrl, replaceElemId, width, height, version, expressInstallUrl,
                      flashvars, params, attributes, callback) {
        var id = (attributes && attributes.id) || replaceElemId;
        var report = function (success, ref) {
            if (typeof callback === "function") {
                callback({ success: success, id: id, ref: ref });
            }
        };
        whenReady(function () {
            var replaced = document.getElementById(replaceElemId);
            if (!replaced) {
                report(false, undefined);
                return;
            }
            var xmlPath = flashvars && flashvars.xmlPath;
            var fail = function (reason) {
                addStyles();
                explain(replaced, "The gallery could not be shown: " + reason);
                report(false, replaced);
            };
            if (!xmlPath) {
                fail("its page names no configuration file.");
                return;
            }
            var xmlName = fileNameOf(xmlPath);
            var request = new XMLHttpRequest();
            try {
                request.open("GET", xmlPath);
            } catch (e) {
                fail("open this page through a web server.");
                return;
            }
            request.onload = function () {
                if (request.status !== 200 && !(request.status === 0 && request.responseText)) {
                    fail("its configuration " + xmlName + " could not be loaded (HTTP " + request.status + ").");
                    return;
                }
                var xml = new DOMParser().parseFromString(request.responseText, "application/xml");
                var config = readConfiguration(xml);
                if (!config) {
                    fail("its configuration " + xmlName + " is not a valid gallery configuration.");
                    return;
                }
                var player = new Player(replaced, config, id, width, height, params && params.bgcolor);
                report(true, player.element);
            };
            request.onerror = function () {
                fail(location.protocol === "file:"
                    ? "a page opened from disk cannot read its configuration; open this page through a web server."
                    : "its configuration " + xmlName + " could not be loaded.");
            };
            request.send();
        });
    }

    return {
        embedSWF: embedSWF,
        hasFlashPlayerVersion: function () { return false; },
        getFlashPlayerVersion: function () { return { major: 0, minor: 0, release: 0 }; }
    };
}());
