// Shared set-up of the browser tests: galleries published by pictavo-cli, a
// loopback web server over them, and headless Chromium.
import { chromium } from 'playwright-core';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
export const pictures = path.resolve(here, '../../samples/pictures');
const cli = process.env.PICTAVO_CLI || path.resolve(here, '../../out/cli/pictavo-cli');

export const root = fs.mkdtempSync(path.join(os.tmpdir(), 'pictavo-browser-'));
const environment = {
    ...process.env, XDG_DATA_HOME: path.join(root, 'data'), XDG_CACHE_HOME: path.join(root, 'cache'), HOME: root,
};

function run(...args) {
    return execFileSync(cli, args, { env: environment, encoding: 'utf8' });
}

// Publishes a gallery of the sample pictures into root/name with the given
// gallery fields and item fields (one object per item, in order).
export function publishGallery(name, gallery = {}, items = []) {
    const project = path.join(root, name, 'gallery.tvgallery1');
    const originals = ['dawn.jpg', 'noon.jpg', 'dusk.jpg', 'night.jpg', 'tiles.gif', 'meadow.bmp']
        .map((file) => path.join(pictures, file));
    run('new', project, ...originals);
    const pairs = (fields) => Object.entries(fields).map(([field, value]) => `${field}=${value}`);
    if (Object.keys(gallery).length) {
        run('set', project, ...pairs(gallery));
    }
    items.forEach((fields, index) => {
        if (Object.keys(fields).length) {
            run('set', project, '--item', String(index), ...pairs(fields));
        }
    });
    return path.join(root, name);
}

const types = { '.html': 'text/html', '.js': 'text/javascript', '.xml': 'application/xml', '.jpg': 'image/jpeg',
    '.gif': 'image/gif', '.bmp': 'image/bmp', '.swf': 'application/x-shockwave-flash', '.txt': 'text/plain' };

export function startServer() {
    const server = http.createServer((request, response) => {
        const target = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
        const file = path.join(root, path.normalize(target));
        if (!file.startsWith(root) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
            response.writeHead(404).end('not found');
            return;
        }
        response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
        fs.createReadStream(file).pipe(response);
    });
    return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

export async function startBrowser() {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'pictavo-profile-'));
    return chromium.launchPersistentContext(profile, {
        executablePath: '/usr/bin/chromium',
        headless: true,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
            '--disable-background-networking', '--disable-component-update', '--disable-sync'],
        viewport: { width: 1000, height: 700 },
    });
}
