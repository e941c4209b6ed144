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

// Edits the bytes of a project publishGallery made and publishes it again:
// the command line takes text as UTF-8 only.
export function republishGallery(folder, edit) {
    const project = path.join(folder, 'gallery.tvgallery1');
    fs.writeFileSync(project, edit(fs.readFileSync(project)));
    run('publish', project);
}

const types = { '.html': 'text/html', '.js': 'text/javascript', '.xml': 'application/xml', '.jpg': 'image/jpeg',
    '.gif': 'image/gif', '.bmp': 'image/bmp', '.swf': 'application/x-shockwave-flash', '.txt': 'text/plain' };

// The bytes of the file an address names under root, as a web server on
// Linux finds it: percent-escapes decoded to bytes, so a file name need not be
// UTF-8. Null for a malformed escape, which servers refuse, or an address
// that would leave root.
function fileOf(address) {
    const pathname = new URL(address, 'http://localhost').pathname;
    if (/%(?![0-9A-Fa-f]{2})/.test(pathname)) {
        return null;
    }
    const name = pathname.replace(/%([0-9A-Fa-f]{2})/g, (escape, hex) => String.fromCharCode(parseInt(hex, 16)));
    if (name.split('/').includes('..')) {
        return null;
    }
    return Buffer.concat([Buffer.from(root), Buffer.from(name, 'latin1')]);
}

export function startServer() {
    const server = http.createServer((request, response) => {
        const file = fileOf(request.url);
        if (!file || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
            response.writeHead(404).end('not found');
            return;
        }
        const type = types[path.extname(file.toString('latin1'))];
        response.writeHead(200, { 'Content-Type': type || 'application/octet-stream' });
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
