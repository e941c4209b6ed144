import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { publishGallery, republishGallery, root, startBrowser, startServer } from './support.mjs';

const titles = ['Dawn', 'Noon', 'Dusk', 'Night', 'Tiles', 'Meadow'];
const names = ['Café', 'a#b', '50%', 'what?', 'Ünïcödé 😀', 'quote"back\\slash', '<b>&amp;', '<!--<script>', 'a:b'];
let server;
let browser;
let base;

before(async () => {
    publishGallery('plain', { enableAutoPlay: '0' }, titles.map((title) => ({ ToolTip: title })));
    publishGallery('auto', { enableAutoPlay: '1', autoPlayDelay: '1' }, titles.map((title) => ({ ToolTip: title })));
    publishGallery('described', {
        enableAutoPlay: '0', showDescriptionBox: '1', playButtonVisible: '0', nextButtonVisible: '0',
        imageTitleFontColor: '00FF00', imageDescFontSize: '14',
    }, [
        { ToolTip: 'Dawn', Description: 'First light over the hills.', Link: '../target.html', Target: '_blank' },
        { ToolTip: 'Noon', Link: '../target.html', Target: '_self' },
    ]);
    publishGallery('broken', { enableAutoPlay: '0' });
    fs.rmSync(path.join(root, 'broken', 'gallery1config.xml'));
    publishGallery('holes', { enableAutoPlay: '0' });
    fs.rmSync(path.join(root, 'holes', 'p1_l.jpg'));
    names.forEach((name, index) => publishGallery(`named${index}`, { pScriptName: name, enableAutoPlay: '0' }));
    // A project written on Windows holds its text in Windows-1252.
    republishGallery(publishGallery('windows', { pScriptName: 'Cafe1252', enableAutoPlay: '0' }),
        (bytes) => Buffer.from(bytes.toString('latin1').replace('Cafe1252#$@', 'Caf\xE9#$@'), 'latin1'));
    publishGallery('broken-name', { pScriptName: 'Café #1', enableAutoPlay: '0' });
    fs.rmSync(path.join(root, 'broken-name', 'Café#1config.xml'));
    const leading = publishGallery('leading', { pScriptName: 'a#b', enableAutoPlay: '0',
        pImageLeadingPathEnabled: '1', pImageLeadingPath: 'images%20&%20ä/' });
    fs.mkdirSync(path.join(leading, 'images & ä'));
    for (const file of fs.readdirSync(leading).filter((name) => /^p\d+_[tl]\./.test(name))) {
        fs.renameSync(path.join(leading, file), path.join(leading, 'images & ä', file));
    }
    fs.writeFileSync(path.join(root, 'target.html'), '<title>Target</title><p>target page</p>');
    server = await startServer();
    base = `http://127.0.0.1:${server.address().port}`;
    browser = await startBrowser();
});

after(async () => {
    await browser?.close();
    server?.close();
    fs.rmSync(root, { recursive: true, force: true });
});

async function open(address) {
    const page = await browser.newPage();
    await page.goto(address);
    return page;
}

async function shown(page) {
    return page.evaluate(() => ({
        picture: document.querySelector('.pictavo-large img').getAttribute('src'),
        alt: document.querySelector('.pictavo-large img').alt,
        title: document.querySelector('.pictavo-title').textContent,
        focused: [...document.querySelectorAll('.pictavo-thumb')].findIndex((t) => t.getAttribute('aria-current') === 'true'),
    }));
}

describe('a published gallery', () => {
    test('shows its first large picture, its title and the thumbnails', async () => {
        const page = await open(`${base}/plain/gallery.html`);
        await page.waitForSelector('#gallery1.pictavo-stage');
        assert.deepEqual(await shown(page), { picture: 'p0_l.jpg', alt: 'Dawn', title: 'Dawn', focused: 0 });
        assert.equal(await page.locator('.pictavo-thumb').count(), 6);
        assert.equal(await page.locator('.pictavo-large img').evaluate((img) => img.naturalWidth), 667);
        const box = await page.locator('#gallery1').boundingBox();
        assert.deepEqual([box.width, box.height], [667, 450]);
        await page.close();
    });

    test('steps with the buttons, the thumbnails and the keyboard', async () => {
        const page = await open(`${base}/plain/gallery.html`);
        await page.waitForSelector('#gallery1.pictavo-stage');
        await page.getByRole('button', { name: 'Next picture' }).click();
        assert.deepEqual(await shown(page), { picture: 'p1_l.jpg', alt: 'Noon', title: 'Noon', focused: 1 });
        assert.equal(new URL(page.url()).hash, '#2');
        await page.getByRole('button', { name: 'Previous picture' }).click();
        await page.getByRole('button', { name: 'Previous picture' }).click();
        assert.equal((await shown(page)).picture, 'p5_l.bmp');
        await page.locator('.pictavo-thumb').nth(4).click();
        assert.equal((await shown(page)).picture, 'p4_l.gif');

        await page.locator('#gallery1').focus();
        await page.keyboard.press('ArrowRight');
        assert.equal((await shown(page)).focused, 5);
        await page.keyboard.press('Home');
        assert.equal((await shown(page)).focused, 0);
        await page.keyboard.press('End');
        assert.equal((await shown(page)).title, 'Meadow');
        await page.keyboard.press('ArrowLeft');
        assert.equal((await shown(page)).title, 'Tiles');
        await page.close();
    });

    test('opens the picture the address names', async () => {
        const page = await open(`${base}/plain/gallery.html#3`);
        await page.waitForSelector('#gallery1.pictavo-stage');
        assert.equal((await shown(page)).title, 'Dusk');
        await page.close();
    });

    test('plays by itself within its delay and stops when the user steps', async () => {
        const page = await open(`${base}/auto/gallery.html`);
        await page.waitForSelector('#gallery1.pictavo-stage');
        assert.equal((await shown(page)).focused, 0);
        await page.waitForFunction(() =>
            document.querySelector('.pictavo-thumb[aria-current="true"]') !== document.querySelector('.pictavo-thumb'),
        null, { timeout: 2500 });
        assert.equal(await page.getByRole('button', { name: 'Pause' }).count(), 1);
        await page.getByRole('button', { name: 'Next picture' }).click();
        assert.equal(await page.getByRole('button', { name: 'Play' }).count(), 1);
        const stopped = (await shown(page)).focused;
        await page.waitForTimeout(1600);
        assert.equal((await shown(page)).focused, stopped);
        await page.locator('#gallery1').focus();
        await page.keyboard.press(' ');
        assert.equal(await page.getByRole('button', { name: 'Pause' }).count(), 1);
        await page.close();
    });

    test('hides the buttons switched off and shows the description box', async () => {
        const page = await open(`${base}/described/gallery.html`);
        await page.waitForSelector('#gallery1.pictavo-stage');
        assert.equal(await page.getByRole('button', { name: 'Previous picture' }).isVisible(), true);
        assert.equal(await page.getByRole('button', { name: 'Next picture' }).isVisible(), false);
        assert.equal(await page.getByRole('button', { name: 'Play' }).isVisible(), false);
        const band = page.locator('.pictavo-band');
        assert.equal(await band.isVisible(), true);
        assert.equal(await page.locator('.pictavo-description').textContent(), 'First light over the hills.');
        const bandBox = await band.boundingBox();
        const stageBox = await page.locator('#gallery1').boundingBox();
        assert.deepEqual([bandBox.y - stageBox.y, bandBox.height], [267, 75]);
        assert.equal(await page.locator('.pictavo-title').evaluate((t) => getComputedStyle(t).color), 'rgb(0, 255, 0)');
        await page.locator('.pictavo-thumb').nth(1).click();
        assert.equal(await page.locator('.pictavo-description').textContent(), '');
        await page.close();
    });

    test('opens an item link in its target', async () => {
        const page = await open(`${base}/described/gallery.html`);
        await page.waitForSelector('#gallery1.pictavo-stage');
        const [popup] = await Promise.all([page.waitForEvent('popup'), page.locator('.pictavo-large a').click()]);
        await popup.waitForLoadState();
        assert.equal(await popup.title(), 'Target');
        await popup.close();
        await page.locator('.pictavo-thumb').nth(1).click();
        await Promise.all([page.waitForURL(`${base}/target.html`), page.locator('.pictavo-large a').click()]);
        await page.close();
    });

    test('scales down with its proportions in a narrow window', async () => {
        const page = await browser.newPage();
        await page.setViewportSize({ width: 390, height: 700 });
        await page.goto(`${base}/plain/gallery.html`);
        await page.waitForSelector('#gallery1.pictavo-stage');
        const box = await page.locator('#gallery1').boundingBox();
        assert.ok(box.width <= 390, `width ${box.width}`);
        assert.ok(Math.abs(box.width / box.height - 667 / 450) < 0.01);
        await page.close();
    });
});

// Waits until the player has replaced the page's picture with the gallery
// whose element id is given and its first large picture has loaded.
async function played(page, id) {
    await page.waitForFunction((stageId) => document.getElementById(stageId)?.classList.contains('pictavo-stage'), id);
    await page.waitForFunction(() => document.querySelector('.pictavo-large img')?.naturalWidth > 0);
    return page.locator('.pictavo-large img').evaluate((img) => [img.getAttribute('src'), img.naturalWidth]);
}

describe('a gallery of any name', () => {
    for (const [index, name] of names.entries()) {
        test(`named ${name} loads its configuration and shows its first picture`, async () => {
            const page = await open(`${base}/named${index}/gallery.html`);
            assert.deepEqual(await played(page, name.replaceAll(' ', '')), ['p0_l.jpg', 667]);
            await page.close();
        });
    }

    test('named in Windows-1252 plays under the name the editor shows', async () => {
        const page = await open(`${base}/windows/gallery.html`);
        assert.deepEqual(await played(page, 'Café'), ['p0_l.jpg', 667]);
        await page.close();
    });

    test('names a missing configuration as it was saved', async () => {
        const page = await open(`${base}/broken-name/gallery.html`);
        await page.waitForSelector('.pictavo-note');
        assert.match(await page.locator('.pictavo-note').textContent(), /Café#1config\.xml could not be loaded \(HTTP 404\)/);
        await page.close();
    });

    test('finds its pictures behind a leading path typed as an address', async () => {
        const page = await open(`${base}/leading/gallery.html`);
        assert.deepEqual(await played(page, 'a#b'), ['images%20&%20ä/p0_l.jpg', 667]);
        await page.close();

        const still = await browser.newPage();
        await still.route('**/swfobject.js', (route) => route.abort());
        await still.goto(`${base}/leading/gallery.html`);
        const picture = still.locator('[id="a#b_img_alt"] img');
        await picture.evaluate((img) => img.decode());
        assert.equal(await picture.evaluate((img) => img.naturalWidth), 667);
        await still.close();
    });
});

describe('a gallery that cannot play', () => {
    test('shows a quiet placeholder for a missing picture', async () => {
        const page = await open(`${base}/holes/gallery.html#2`);
        await page.waitForSelector('#gallery1.pictavo-stage');
        await page.waitForSelector('.pictavo-placeholder', { state: 'visible' });
        assert.equal(await page.locator('.pictavo-placeholder').textContent(), 'Picture not available');
        await page.getByRole('button', { name: 'Next picture' }).click();
        await page.waitForSelector('.pictavo-placeholder', { state: 'hidden' });
        await page.close();
    });

    test('keeps its alternative picture and says why', async () => {
        const page = await open(`${base}/broken/gallery.html`);
        await page.waitForSelector('.pictavo-note');
        assert.equal(await page.locator('#gallery1_img_alt img').getAttribute('src'), 'p0_l.jpg');
        assert.match(await page.locator('.pictavo-note').textContent(), /gallery1config\.xml could not be loaded \(HTTP 404\)/);
        await page.close();
    });

    test('opened from disk, asks to be served', async () => {
        const page = await open(`file://${path.join(root, 'plain', 'gallery.html')}`);
        await page.waitForSelector('.pictavo-note');
        assert.match(await page.locator('.pictavo-note').textContent(), /open this page through a web server/);
        assert.equal(await page.locator('#gallery1_img_alt img').count(), 1);
        await page.close();
    });
});
