'use strict';
// What both browser suites share: Debian's Chromium, the policy every page is served with,
// the list of tests, an "ok"/"not ok" line per test and the closing line
// "N passed, N failed" that tests/browser/run adds up.

const CHROMIUM = '/usr/bin/chromium';
const CHROMIUM_ARGS = ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
                       '--disable-component-update', '--disable-sync'];
const POLICY =
  "default-src 'self'; script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self' data: blob:; " +
  "media-src 'self' blob:; connect-src 'self'; font-src 'self'; object-src 'none'; base-uri 'none'; " +
  "form-action 'none'; frame-src 'none'; worker-src 'none'";

function suite() {
  const tests = [];
  let passed = 0;
  let failed = 0;
  return {
    tests,
    test: (name, body) => tests.push({ name, body }),
    report(name, error) {
      if (error) {
        failed += 1;
        console.log(`not ok - ${name}\n${error.stack}`);
      } else {
        passed += 1;
        console.log(`ok - ${name}`);
      }
    },
    finish() {
      console.log(`${passed} passed, ${failed} failed`);
      process.exitCode = failed === 0 ? 0 : 1;
    },
  };
}

// Runs a suite's main; a failure outside every test still ends with the closing line.
function run(main, what) {
  main().catch(error => {
    console.log(`not ok - ${what}\n${error.stack}`);
    console.log('0 passed, 1 failed');
    process.exitCode = 1;
  });
}

module.exports = { CHROMIUM, CHROMIUM_ARGS, POLICY, suite, run };
