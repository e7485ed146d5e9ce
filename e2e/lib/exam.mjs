// The exam server for the browser tests: a fresh working folder with a new database, the
// server on 127.0.0.1 and a port the system chooses, and read access to the stored rows.
import { execFileSync } from 'node:child_process';
import { join } from 'node:path';
import { startServer } from './server.mjs';

export const examServerProgram =
  process.env.EXAMSERVER || new URL('../../build/host/examserver', import.meta.url).pathname;

export const adminPassword = 'e2e-secret';

// Starts examserver on a new db1.db; with demo the sample exam is added.
export async function startExamServer({ demo = false } = {}) {
  const args = ['-initdb', '-password', adminPassword, '-headless', '-port', '0', '-bind', '127.0.0.1'];
  if (demo) args.push('-demo');
  const server = await startServer(examServerProgram, args);
  const database = join(server.folder, 'db1.db');
  return {
    ...server,
    database,
    // Rows of a statement as objects keyed by column name (read through the sqlite3 shell).
    rows(sql) {
      const out = execFileSync('sqlite3', ['-cmd', '.timeout 5000', '-json', database, sql], { encoding: 'utf8' });
      return out.trim() === '' ? [] : JSON.parse(out);
    },
    // Runs statements that prepare a test (add exams, questions, answers).
    exec(sql) {
      execFileSync('sqlite3', ['-cmd', '.timeout 5000', database, sql], { encoding: 'utf8' });
    },
  };
}
