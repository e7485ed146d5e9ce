// Starts a server program on a port the system chooses, in a fresh working folder, and
// reads the port from the line it prints.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

// Runs `program` in `folder` and resolves with the child and the port it printed. Every
// control the server writes from a render memo is checked against a fresh render; a
// difference ends the server, and the test with it.
export function spawnServer(program, args, folder) {
  const env = { ...process.env, EXAMSERVER_CHECK_RENDER_MEMO: '1' };
  const child = spawn(program, args, { cwd: folder, env, stdio: ['ignore', 'pipe', 'pipe'] });
  let output = '';
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`no port printed: ${output}`)), 15000);
    child.stdout.on('data', (chunk) => {
      output += chunk;
      const match = /listening on port (\d+)/.exec(output);
      if (match) {
        clearTimeout(timer);
        resolve({ child, port: Number(match[1]) });
      }
    });
    child.stderr.on('data', (chunk) => { output += chunk; });
    child.on('exit', (code) => reject(new Error(`server ended with ${code}: ${output}`)));
  });
}

export async function startServer(program, args = []) {
  const folder = mkdtempSync(join(tmpdir(), 'e2e-server-'));
  const { child, port } = await spawnServer(program, args, folder);
  return {
    url: `http://127.0.0.1:${port}`,
    folder,
    async stop() {
      const ended = new Promise((resolve) => child.on('exit', resolve));
      child.kill('SIGTERM');
      await ended;
      rmSync(folder, { recursive: true, force: true });
    },
  };
}
