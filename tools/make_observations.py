#!/usr/bin/env python3
"""Writes the activity head's labelled training set: resources/Model/Training/observations.tsv.

    python3 tools/make_observations.py [output-path]

Every row is an observation as the desktop reports it (application, window title and, for a
browser tab, the address) with two answers: whether a person doing their job would count it as
working time (label: work or other), and what kind of activity it is (kind: work, neutral,
communication or entertainment).

The rows are written by hand below, grouped in blocks that share a label and a kind. A web block
holds one tab a line, "address title" (an address never holds a space, so the first space ends
it); an application block holds one window title a line. Browsers are dealt out in a fixed turn,
and the few ids that real addresses carry (video ids, status numbers, conversation ids) come from
a hash of the row itself, so the output is the same on every run. Standard library only.

Placeholders in an address, each filled from a hash of the row:
    {v} an 11-character video id      {n} an 8-digit number     {h} a 7-digit hex commit
    {u} a UUID-like conversation id   {N} a 19-digit status id  {r} a 7-character base-36 id
"""

import hashlib
import os
import sys
from urllib.parse import quote, quote_plus

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUT = os.path.join(HERE, "..", "resources", "Model", "Training", "observations.tsv")

LABELS = ("work", "other")
KINDS = ("work", "neutral", "communication", "entertainment")

# Debian's own Firefox first and most often, then the other browsers people install.
BROWSERS = (
    "Firefox ESR", "Firefox", "Chromium", "Google Chrome", "Firefox ESR", "Brave",
    "Firefox", "Chromium", "Vivaldi", "Firefox ESR", "Google Chrome", "Microsoft Edge",
    "Firefox", "Web", "Firefox ESR", "Chromium", "LibreWolf",
)

ROWS = []  # (label, kind, app, title, url, language)
_turn = [0]


def _browser():
    name = BROWSERS[_turn[0] % len(BROWSERS)]
    _turn[0] += 1
    return name


def _digest(seed):
    return hashlib.sha256(seed.encode("utf-8")).digest()


def _fill(url, seed):
    """Replaces the placeholders of an address with values derived from seed."""
    alphabet64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"
    base36 = "0123456789abcdefghijklmnopqrstuvwxyz"
    d = _digest(seed)
    h = d.hex()
    values = {
        "{v}": "".join(alphabet64[b % 64] for b in d[:11]),
        "{n}": str(10000000 + int(h[:12], 16) % 89999999),
        "{h}": h[12:19],
        "{u}": "%s-%s-%s-%s-%s" % (h[20:28], h[28:32], h[32:36], h[36:40], h[40:52]),
        "{N}": str(1700000000000000000 + int(h[:16], 16) % 99999999999999999),
        "{r}": "1" + "".join(base36[b % 36] for b in d[20:26]),
    }
    for key, value in values.items():
        url = url.replace(key, value)
    return url


def _lines(block):
    for line in block.splitlines():
        line = line.strip()
        if line:
            yield line


def _encode(url):
    """Percent-encodes the non-ASCII characters of an address, as browsers report it."""
    return "".join(c if ord(c) < 128 else quote(c) for c in url)


def _add(label, kind, app, title, url, lang):
    assert label in LABELS, label
    assert kind in KINDS, kind
    ROWS.append((label, kind, app, title, _encode(url), lang))


def web(label, kind, block, lang="en"):
    """Browser tabs, one "address title" a line."""
    for line in _lines(block):
        url, _, title = line.partition(" ")
        title = title.strip()
        assert url.startswith(("http://", "https://")), line
        assert title, line
        _add(label, kind, _browser(), title, _fill(url, title + "|" + url), lang)


def app(label, kind, name, block, lang="en"):
    """Windows of one application, one title a line."""
    for title in _lines(block):
        _add(label, kind, name, title, "", lang)


def apps(label, kind, names, block, lang="en"):
    """Windows of several programs of one sort (terminals, players), dealt out in turn."""
    for i, title in enumerate(_lines(block)):
        _add(label, kind, names[i % len(names)], title, "", lang)


def youtube(label, kind, block, lang="en", suffix=" - YouTube"):
    """Video pages, one video title a line; the address is made from the title."""
    for i, title in enumerate(_lines(block)):
        url = "https://www.youtube.com/watch?v={v}"
        if i % 4 == 1:
            url += "&t={n}s"
        elif i % 7 == 3:
            url += "&list=PL{r}{h}"
        url = _fill(url, title)
        # A start time of a few minutes, not an 8-digit one.
        if "&t=" in url:
            head, _, seconds = url.partition("&t=")
            url = head + "&t=" + str(int(seconds[:-1]) % 1800 + 30) + "s"
        _add(label, kind, _browser(), title + suffix, url, lang)


# ---------------------------------------------------------------------------------------------
# Software: code hosting, reviews, CI


def code_hosting():
    web("work", "work", """
https://github.com/ferncloud/ingest/pull/1287 Add bounded retry to the upload queue by tkowal · Pull Request #1287 · ferncloud/ingest
https://github.com/ferncloud/ingest/pull/1291/files Switch batch writer to zstd level 3 by priya-r · Pull Request #1291 · ferncloud/ingest
https://github.com/ferncloud/tidepool/pull/88 Fix off-by-one in tide table interpolation by omarhaddad · Pull Request #88 · ferncloud/tidepool
https://github.com/brightmoor/checkout-web/pull/2034 feat(cart): keep promo code across sessions by danawhit · Pull Request #2034 · brightmoor/checkout-web
https://github.com/brightmoor/checkout-web/pull/2041/commits chore(deps): bump vite from 5.2.11 to 5.4.8 by dependabot[bot] · Pull Request #2041 · brightmoor/checkout-web
https://github.com/brightmoor/ledger-api/pull/517 Reject negative amounts in refund endpoint by nmarsh · Pull Request #517 · brightmoor/ledger-api
https://github.com/brightmoor/ledger-api/pull/522/checks Migrate settlement job to Postgres advisory locks by lbrandt · Pull Request #522 · brightmoor/ledger-api
https://github.com/kestrel-freight/route-planner/pull/143 Cache geocoder results per depot by jonasvik · Pull Request #143 · kestrel-freight/route-planner
https://github.com/tkowal/tinyjson/pull/61 Handle surrogate pairs in string escapes by mruiz-dev · Pull Request #61 · tkowal/tinyjson
https://github.com/pinecrest/notebooks/pull/19 Add churn cohort notebook for Q3 by sofiaferri · Pull Request #19 · pinecrest/notebooks
https://github.com/ferncloud/helm-charts/pull/74 ingest: expose liveness probe timeout by tkowal · Pull Request #74 · ferncloud/helm-charts
https://github.com/brightmoor/design-tokens/pull/230 Rename spacing scale to t-shirt sizes by hlefevre · Pull Request #230 · brightmoor/design-tokens
https://github.com/ferncloud/ingest/pull/1302 [WIP] Prototype backpressure with a token bucket by nmarsh · Pull Request #1302 · ferncloud/ingest
https://github.com/brightmoor/mobile-app/pull/966 Android: request notification permission on API 33 by kaoyama · Pull Request #966 · brightmoor/mobile-app
https://github.com/brightmoor/mobile-app/pull/971 iOS: fix safe-area inset on the order sheet by meilin · Pull Request #971 · brightmoor/mobile-app
https://github.com/orbitkit/orbit-cli/pull/402 Add --dry-run to the deploy command by ekaya · Pull Request #402 · orbitkit/orbit-cli
https://github.com/orbitkit/orbit-cli/pull/405/files docs: clarify config precedence by jdewit · Pull Request #405 · orbitkit/orbit-cli
https://github.com/saltmarsh/render-farm/pull/37 Queue renders by priority tier by rcarvalho · Pull Request #37 · saltmarsh/render-farm
https://github.com/ferncloud/tidepool/pull/91 Replace moment.js with the Temporal polyfill by anyavolkova · Pull Request #91 · ferncloud/tidepool
https://github.com/brightmoor/infra/pull/1120 terraform: split prod VPC into two AZ subnets by lbrandt · Pull Request #1120 · brightmoor/infra
https://github.com/brightmoor/infra/pull/1124 Rotate RDS credentials via Secrets Manager by omarhaddad · Pull Request #1124 · brightmoor/infra
https://github.com/nmarsh/dotfiles/pull/3 Move nvim config to lazy.nvim by nmarsh · Pull Request #3 · nmarsh/dotfiles
https://github.com/copperline/cms-plugins/pull/58 Gallery block: lazy-load images below the fold by aknowicka · Pull Request #58 · copperline/cms-plugins
https://github.com/brightmoor/ledger-api/pull/530 Revert "Migrate settlement job to Postgres advisory locks" by nmarsh · Pull Request #530 · brightmoor/ledger-api
https://github.com/pinecrest/etl/pull/211 Backfill missing currency codes for 2022 orders by elinholm · Pull Request #211 · pinecrest/etl
https://github.com/pinecrest/etl/pull/214/files#diff-3a1f09c2 Parallelise S3 listing by prefix by elinholm · Pull Request #214 · pinecrest/etl
https://github.com/ferncloud/ingest/pull/1305 Bump MSRV to 1.74 by tkowal · Pull Request #1305 · ferncloud/ingest
https://github.com/halcyon-dental/booking/pull/12 Add Welsh translations to appointment reminders by rhiannond · Pull Request #12 · halcyon-dental/booking
https://github.com/kestrel-freight/route-planner/pull/150 Use time windows for pickups in the solver by jonasvik · Pull Request #150 · kestrel-freight/route-planner
https://github.com/brightmoor/checkout-web/pulls Pull requests · brightmoor/checkout-web
https://github.com/pulls/review-requested Review requests
https://github.com/brightmoor/ledger-api/pulls?q=is%3Apr+is%3Aclosed+author%3Anmarsh Pull requests · brightmoor/ledger-api
https://github.com/ferncloud/ingest/issues/1266 Upload queue stalls after network reconnect · Issue #1266 · ferncloud/ingest
https://github.com/ferncloud/ingest/issues/1270 Memory grows unbounded when the sink is slow · Issue #1270 · ferncloud/ingest
https://github.com/ferncloud/ingest/issues/1279 Flaky test: queue::tests::drains_on_shutdown · Issue #1279 · ferncloud/ingest
https://github.com/ferncloud/tidepool/issues/54 Chart labels overlap on narrow screens · Issue #54 · ferncloud/tidepool
https://github.com/brightmoor/checkout-web/issues/1988 Apple Pay button missing in Safari 17.4 · Issue #1988 · brightmoor/checkout-web
https://github.com/brightmoor/checkout-web/issues/2002 Cart total rounds 0.005 the wrong way · Issue #2002 · brightmoor/checkout-web
https://github.com/brightmoor/checkout-web/issues/2010 Translate checkout errors to Polish · Issue #2010 · brightmoor/checkout-web
https://github.com/brightmoor/ledger-api/issues/498 Settlement report off by one day in UTC+13 · Issue #498 · brightmoor/ledger-api
https://github.com/tkowal/tinyjson/issues/58 Parser accepts trailing commas in strict mode · Issue #58 · tkowal/tinyjson
https://github.com/orbitkit/orbit-cli/issues/377 orbit deploy hangs when the SSH agent is locked · Issue #377 · orbitkit/orbit-cli
https://github.com/orbitkit/orbit-cli/issues/381 Feature request: YAML anchors in config · Issue #381 · orbitkit/orbit-cli
https://github.com/kestrel-freight/route-planner/issues/131 Depot in Rotterdam gets routed via Antwerp · Issue #131 · kestrel-freight/route-planner
https://github.com/kestrel-freight/route-planner/issues/138 Export routes as GPX · Issue #138 · kestrel-freight/route-planner
https://github.com/pinecrest/etl/issues/199 Nightly job fails on leap day · Issue #199 · pinecrest/etl
https://github.com/pinecrest/notebooks/issues/7 Document how to get read-only warehouse credentials · Issue #7 · pinecrest/notebooks
https://github.com/brightmoor/mobile-app/issues/940 Crash on launch after upgrading to 4.12.0 (Pixel 7) · Issue #940 · brightmoor/mobile-app
https://github.com/brightmoor/mobile-app/issues/952 Dark mode: order status badge unreadable · Issue #952 · brightmoor/mobile-app
https://github.com/brightmoor/infra/issues/1098 Staging certificates expire in 14 days · Issue #1098 · brightmoor/infra
https://github.com/saltmarsh/render-farm/issues/29 Renders stuck at 99% on node-04 · Issue #29 · saltmarsh/render-farm
https://github.com/ferncloud/helm-charts/issues/66 Chart fails lint with Helm 3.15 · Issue #66 · ferncloud/helm-charts
https://github.com/copperline/cms-plugins/issues/41 Editor toolbar overlaps the sticky header · Issue #41 · copperline/cms-plugins
https://github.com/brightmoor/design-tokens/issues/219 Contrast of muted text fails WCAG AA · Issue #219 · brightmoor/design-tokens
https://github.com/halcyon-dental/booking/issues/9 Reminder SMS sent twice for recurring appointments · Issue #9 · halcyon-dental/booking
https://github.com/vellum-ui/vellum/issues/3120 Select component loses focus inside Dialog · Issue #3120 · vellum-ui/vellum
https://github.com/vellum-ui/vellum/discussions/3088 RFC: headless table primitives · vellum-ui/vellum · Discussion #3088
https://github.com/tideline-db/tideline/issues/845 WAL replay slow with many small segments · Issue #845 · tideline-db/tideline
https://github.com/tideline-db/tideline/issues/851 Docs: the range delete example is wrong · Issue #851 · tideline-db/tideline
https://github.com/ferncloud/ingest/issues Issues · ferncloud/ingest
https://github.com/ferncloud/ingest/issues/new?template=bug_report.md New Issue · ferncloud/ingest
https://github.com/brightmoor/ledger-api/issues?q=is%3Aissue+is%3Aopen+label%3Abug Issues · brightmoor/ledger-api
https://github.com/orgs/brightmoor/projects/7 Q4 platform roadmap · brightmoor
https://github.com/orgs/brightmoor/projects/7/views/3 Sprint 42 board · Q4 platform roadmap · brightmoor
https://github.com/ferncloud/ingest/blob/main/src/queue.rs ingest/src/queue.rs at main · ferncloud/ingest
https://github.com/ferncloud/ingest/blob/main/Cargo.toml ingest/Cargo.toml at main · ferncloud/ingest
https://github.com/brightmoor/checkout-web/blob/main/src/cart/promo.ts checkout-web/src/cart/promo.ts at main · brightmoor/checkout-web
https://github.com/brightmoor/ledger-api/blob/release-2.8/app/services/refunds.py ledger-api/app/services/refunds.py at release-2.8 · brightmoor/ledger-api
https://github.com/tideline-db/tideline/blob/main/docs/compaction.md tideline/docs/compaction.md at main · tideline-db/tideline
https://github.com/orbitkit/orbit-cli/blob/v0.9.2/internal/deploy/ssh.go orbit-cli/internal/deploy/ssh.go at v0.9.2 · orbitkit/orbit-cli
https://github.com/brightmoor/infra/tree/main/terraform/modules/vpc infra/terraform/modules/vpc at main · brightmoor/infra
https://github.com/ferncloud/ingest/blame/main/src/sink/s3.rs Blaming ingest/src/sink/s3.rs at main · ferncloud/ingest
https://github.com/ferncloud/ingest/commits/main Commits · ferncloud/ingest
https://github.com/ferncloud/ingest/commit/4e1b9c27d0 Fix shutdown ordering in drain() · ferncloud/ingest@4e1b9c2
https://github.com/brightmoor/ledger-api/compare/v2.7.0...v2.8.0 Comparing v2.7.0...v2.8.0 · brightmoor/ledger-api
https://github.com/tkowal/tinyjson tkowal/tinyjson: A small, strict JSON parser in C99
https://github.com/tideline-db/tideline tideline-db/tideline: Embedded time-series storage engine written in Rust
https://github.com/vellum-ui/vellum/releases/tag/v3.2.0 Release v3.2.0 · vellum-ui/vellum
https://github.com/orbitkit/orbit-cli/releases Releases · orbitkit/orbit-cli
https://github.com/brightmoor/ledger-api/wiki/Runbook:-failed-settlements Runbook: failed settlements · brightmoor/ledger-api Wiki
https://github.com/search?q=org%3Abrightmoor+SettlementWindow&type=code Code search results
https://github.com/ferncloud/ingest/actions Workflow runs · ferncloud/ingest
https://github.com/ferncloud/ingest/actions/runs/9384716203 Add bounded retry to the upload queue · ferncloud/ingest@a93f2e1
https://github.com/brightmoor/checkout-web/actions/runs/9412008871/job/25927341180 feat(cart): keep promo code across sessions · brightmoor/checkout-web@7c1d0e4
https://github.com/brightmoor/infra/actions/workflows/plan.yml Terraform plan · Workflow runs · brightmoor/infra
https://github.com/tideline-db/tideline/actions/runs/9350012877 Nightly fuzz · tideline-db/tideline@0b7d3aa
https://github.com/settings/tokens Personal access tokens (classic)
https://github.com/notifications Notifications
https://github.com/brightmoor/ledger-api/settings/branches Branches · brightmoor/ledger-api
https://github.com/ferncloud/ingest/security/dependabot Dependabot alerts · ferncloud/ingest
https://github.com/ GitHub
https://ferncloud.github.io/ingest/configuration.html Configuration - ingest
https://tideline-db.github.io/book/compaction.html Compaction - The Tideline Book
https://vellum-ui.github.io/docs/components/select Select – Vellum UI
https://orbitkit.github.io/orbit-cli/ Orbit CLI — deploy from anywhere
https://jdewit.github.io/blog/2024/05/tracing-async-rust/ Tracing async Rust without losing your mind · Joost de Wit
https://gitlab.com/orchard-labs/ledger/-/merge_requests/842 Draft: Move billing exports to background jobs (!842) · Merge requests · Orchard Labs / Ledger · GitLab
https://gitlab.com/orchard-labs/ledger/-/merge_requests/851/diffs Add VAT breakdown to invoice PDF (!851) · Merge requests · Orchard Labs / Ledger · GitLab
https://gitlab.com/orchard-labs/ledger/-/issues/311 Invoice PDF uses wrong locale (#311) · Issues · Orchard Labs / Ledger · GitLab
https://gitlab.com/orchard-labs/ledger/-/pipelines/1184523 Pipeline #1184523 · Orchard Labs / Ledger · GitLab
https://gitlab.com/orchard-labs/ledger/-/jobs/7012334871 rspec 3/8 (#7012334871) · Jobs · Orchard Labs / Ledger · GitLab
https://gitlab.com/orchard-labs/ledger/-/wikis/Release-checklist Release checklist · Wiki · Orchard Labs / Ledger · GitLab
https://gitlab.com/orchard-labs/ledger/-/environments Environments · Orchard Labs / Ledger · GitLab
https://gitlab.com/orchard-labs/field-app/-/boards Development · Issue boards · Orchard Labs / Field App · GitLab
https://gitlab.com/orchard-labs/field-app/-/blob/main/lib/sync/outbox.dart lib/sync/outbox.dart · main · Orchard Labs / Field App · GitLab
https://gitlab.com/orchard-labs/field-app/-/issues/77 Offline edits lost after app update (#77) · Issues · Orchard Labs / Field App · GitLab
https://gitlab.com/dashboard/merge_requests?reviewer_username=mruiz Merge requests · GitLab
https://bitbucket.org/marlowprint/quote-engine/pull-requests/214 Pull request #214: Add paper weight surcharge table — Bitbucket
https://bitbucket.org/marlowprint/quote-engine/src/master/quote/pricing.py marlowprint / quote-engine / quote/pricing.py — Bitbucket
https://bitbucket.org/marlowprint/quote-engine/pipelines/results/1802 Pipeline #1802 — marlowprint / quote-engine — Bitbucket
https://bitbucket.org/marlowprint/workspace/repositories Repositories — marlowprint — Bitbucket
https://codeberg.org/fieldnotes/fieldnotes/issues/23 #23 - Sync conflict when two devices edit the same note - fieldnotes - Codeberg.org
https://codeberg.org/fieldnotes/fieldnotes/pulls/31 #31 - Add Markdown table export - fieldnotes - Codeberg.org
https://codeberg.org/fieldnotes/fieldnotes/src/branch/main/src/sync.c fieldnotes/src/sync.c at main - fieldnotes - Codeberg.org
https://dev.azure.com/northgate/Payroll/_workitems/edit/4471 Bug 4471: Overtime rate not applied on bank holidays - Boards
https://dev.azure.com/northgate/Payroll/_git/payroll-core/pullrequest/903 Pull request 903: Add P60 export - Repos
https://dev.azure.com/northgate/Payroll/_build/results?buildId=22817 payroll-core CI - 20241014.3 - Pipelines
https://dev.azure.com/northgate/Payroll/_sprints/taskboard/Payroll%20Team/Payroll/Sprint%2031 Sprint 31 - Taskboard - Boards
https://sourceforge.net/projects/fieldcalc/files/ fieldcalc - Browse Files at SourceForge.net
https://sourceforge.net/p/fieldcalc/tickets/112/ fieldcalc / Tickets / #112 Crash when importing CSV with a BOM
https://sourceforge.net/projects/fieldcalc/ fieldcalc download | SourceForge.net
""")
    web("work", "work", """
https://gitlab.com/brunnhofer/lagerverwaltung/-/issues/42 Lagerbestand wird nach der Inventur doppelt gebucht (#42) · Tickets · Brunnhofer / Lagerverwaltung · GitLab
https://gitlab.com/brunnhofer/lagerverwaltung/-/merge_requests/58 Barcode-Scanner: Umlaute im Artikelnamen korrekt darstellen (!58) · Merge-Requests · Brunnhofer / Lagerverwaltung · GitLab
https://github.com/brunnhofer/angebotsrechner/pull/17 Rabattstaffel für Großkunden ergänzen by lbrandt · Pull Request #17 · brunnhofer/angebotsrechner
https://github.com/brunnhofer/angebotsrechner/issues/15 PDF-Export: Seitenumbruch mitten in der Positionstabelle · Issue #15 · brunnhofer/angebotsrechner
""", lang="de")
    web("work", "work", """
https://github.com/atelier-lunel/catalogue/pull/44 Corrige l'affichage des prix TTC sur mobile by hlefevre · Pull Request #44 · atelier-lunel/catalogue
https://gitlab.com/atelier-lunel/catalogue/-/issues/19 Les images produits ne se chargent pas sous Safari (#19) · Tickets · Atelier Lunel / Catalogue · GitLab
""", lang="fr")
    web("work", "work", """
https://github.com/ferreteria-solano/inventario/issues/33 El escáner no lee códigos EAN-8 · Issue #33 · ferreteria-solano/inventario
https://github.com/ferreteria-solano/inventario/pull/36 Añadir exportación de pedidos a CSV by mruiz-dev · Pull Request #36 · ferreteria-solano/inventario
""", lang="es")
    web("work", "work", """
https://github.com/qingheai/report-service/issues/208 导出报表时中文文件名乱码 · Issue #208 · qingheai/report-service
https://github.com/qingheai/report-service/pull/215 修复分页查询在大数据量下超时的问题 by meilin · Pull Request #215 · qingheai/report-service
""", lang="zh")
    web("work", "work", """
https://github.com/minato-seiki/line-monitor/issues/71 センサー値が一定時間更新されない · Issue #71 · minato-seiki/line-monitor
""", lang="ja")
    web("other", "neutral", """
https://github.com/trending Trending repositories on GitHub today · GitHub
https://github.com/trending/rust?since=weekly Trending Rust repositories on GitHub this week · GitHub
https://github.com/explore Explore GitHub · GitHub
https://github.com/topics/awesome-list awesome-list · GitHub Topics · GitHub
""")


# ---------------------------------------------------------------------------------------------
# Software: packages, questions and answers, references


def packages_and_references():
    web("work", "work", """
https://www.npmjs.com/package/zod zod - npm
https://www.npmjs.com/package/date-fns date-fns - npm
https://www.npmjs.com/package/@tanstack/react-query @tanstack/react-query - npm
https://www.npmjs.com/search?q=pdf%20generation pdf generation - npm search
https://www.npmjs.com/package/vite?activeTab=versions vite - npm
https://pypi.org/project/polars/ polars · PyPI
https://pypi.org/project/httpx/ httpx · PyPI
https://pypi.org/project/openpyxl/#history openpyxl · PyPI
https://pypi.org/search/?q=pdf+table+extraction Search results · PyPI
https://crates.io/crates/tokio tokio - crates.io: Rust Package Registry
https://crates.io/crates/serde_json/versions serde_json - crates.io: Rust Package Registry
https://crates.io/search?q=zstd Search Results for 'zstd' - crates.io: Rust Package Registry
https://docs.rs/tokio/latest/tokio/sync/struct.Semaphore.html Semaphore in tokio::sync - Rust
https://docs.rs/serde/latest/serde/trait.Deserialize.html Deserialize in serde - Rust
https://docs.rs/reqwest/latest/reqwest/struct.ClientBuilder.html ClientBuilder in reqwest - Rust
https://docs.rs/anyhow/latest/anyhow/ anyhow - Rust
https://pkg.go.dev/net/http http package - net/http - Go Packages
https://pkg.go.dev/golang.org/x/crypto/ssh/agent agent package - golang.org/x/crypto/ssh/agent - Go Packages
https://pkg.go.dev/context#WithTimeout context package - context - Go Packages
https://hub.docker.com/_/postgres postgres - Official Image | Docker Hub
https://hub.docker.com/r/grafana/grafana-oss/tags grafana/grafana-oss Tags | Docker Hub
https://hub.docker.com/_/python/tags python Tags | Docker Hub
https://huggingface.co/sentence-transformers/all-MiniLM-L6-v2 sentence-transformers/all-MiniLM-L6-v2 · Hugging Face
https://huggingface.co/datasets?search=invoice Datasets - Hugging Face
https://huggingface.co/docs/transformers/main_classes/tokenizer Tokenizer
https://huggingface.co/pinecrest/churn-classifier-v2 pinecrest/churn-classifier-v2 · Hugging Face
https://www.kaggle.com/code/sofiaferri/retail-demand-baseline Retail demand baseline | Kaggle
https://www.kaggle.com/datasets?search=shipping+delays Find Open Datasets and Machine Learning Projects | Kaggle
https://www.kaggle.com/competitions/store-sales-time-series-forecasting/discussion Store Sales - Time Series Forecasting | Kaggle
""")
    web("work", "work", """
https://stackoverflow.com/questions/71829345/cmake-cannot-find-qt6-when-cross-compiling-for-aarch64 cmake - CMake cannot find Qt6 when cross-compiling for aarch64 - Stack Overflow
https://stackoverflow.com/questions/68734919/why-does-stdvectorreserve-not-change-size c++ - Why does std::vector::reserve not change size()? - Stack Overflow
https://stackoverflow.com/questions/72034566/typeerror-cannot-read-properties-of-undefined-reading-map javascript - TypeError: Cannot read properties of undefined (reading 'map') in React - Stack Overflow
https://stackoverflow.com/questions/69810223/how-to-merge-two-dataframes-on-nearest-timestamp python - How to merge two DataFrames on the nearest timestamp? - Stack Overflow
https://stackoverflow.com/questions/70220315/postgres-deadlock-detected-on-concurrent-upsert postgresql - Deadlock detected on concurrent upsert - Stack Overflow
https://stackoverflow.com/questions/73102246/borrowed-value-does-not-live-long-enough-in-async-closure rust - Borrowed value does not live long enough in async closure - Stack Overflow
https://stackoverflow.com/questions/66908842/rebase-a-branch-after-its-parent-was-squash-merged git - Rebase a branch after its parent was squash-merged - Stack Overflow
https://stackoverflow.com/questions/74455190/container-cannot-reach-a-service-on-the-hosts-localhost docker - Container cannot reach a service on the host's localhost - Stack Overflow
https://stackoverflow.com/questions/67091822/vba-loop-through-all-sheets-except-one excel - VBA: loop through all sheets except one - Stack Overflow
https://stackoverflow.com/questions/70981234/collect-only-the-latest-value-of-a-flow kotlin - Collect only the latest value of a Flow - Stack Overflow
https://stackoverflow.com/questions/71445678/grid-items-overflow-the-container-with-minmax css - Grid items overflow the container with minmax() - Stack Overflow
https://stackoverflow.com/questions/72561190/narrowing-a-discriminated-union-inside-a-generic-function typescript - Narrowing a discriminated union inside a generic function - Stack Overflow
https://stackoverflow.com/questions/69322107/read-a-file-line-by-line-while-keeping-leading-whitespace bash - Read a file line by line while keeping leading whitespace - Stack Overflow
https://stackoverflow.com/questions/73890012/undefined-reference-to-vtable-when-linking-a-qt-class c++ - undefined reference to vtable when linking a Qt class - Stack Overflow
https://stackoverflow.com/questions/70412258/sqlalchemy-2-0-async-session-detachedinstanceerror python - SQLAlchemy 2.0 async session: DetachedInstanceError - Stack Overflow
https://stackoverflow.com/questions/68290033/http-client-timeout-vs-context-deadline go - http.Client Timeout vs context deadline - Stack Overflow
https://stackoverflow.com/questions/71904516/pod-stuck-in-containercreating-after-pvc-resize kubernetes - Pod stuck in ContainerCreating after PVC resize - Stack Overflow
https://stackoverflow.com/questions/67234019/match-dates-in-dd-mm-yyyy-but-not-inside-urls regex - Match dates in dd.mm.yyyy but not inside URLs - Stack Overflow
https://stackoverflow.com/questions/74012873/change-list-row-separator-inset-in-swiftui swift - Change List row separator inset in SwiftUI - Stack Overflow
https://stackoverflow.com/questions/69987345/completablefuture-exceptionally-vs-handle java - CompletableFuture exceptionally() vs handle() - Stack Overflow
https://stackoverflow.com/questions/72740881/reorder-bars-within-each-facet-in-ggplot2 r - Reorder bars within each facet in ggplot2 - Stack Overflow
https://stackoverflow.com/questions/73311209/502-bad-gateway-with-gunicorn-on-a-unix-socket nginx - 502 Bad Gateway with Gunicorn on a Unix socket - Stack Overflow
https://stackoverflow.com/questions/71188403/exception-from-async-void-event-handler-is-lost c# - Exception from async void event handler is lost - Stack Overflow
https://stackoverflow.com/questions/69655112/valueerror-operands-could-not-be-broadcast-together python - ValueError: operands could not be broadcast together with shapes (3,4) (3,) - Stack Overflow
https://stackoverflow.com/questions/74770021/useeffect-runs-twice-in-development reactjs - useEffect runs twice in development - Stack Overflow
https://stackoverflow.com/questions/68877655/error-1452-cannot-add-or-update-a-child-row mysql - Error 1452: Cannot add or update a child row: a foreign key constraint fails - Stack Overflow
https://stackoverflow.com/questions/70123398/segmentation-fault-when-returning-a-pointer-to-a-local-array c - Segmentation fault when returning a pointer to a local array - Stack Overflow
https://stackoverflow.com/questions/72911567/setstate-called-after-dispose flutter - setState() called after dispose() - Stack Overflow
https://stackoverflow.com/questions/73567781/module-not-found-error-cant-resolve-fs webpack - Module not found: Error: Can't resolve 'fs' - Stack Overflow
https://stackoverflow.com/questions/70034512/pandas-read-excel-skip-merged-header-rows python - pandas read_excel: skip merged header rows - Stack Overflow
https://stackoverflow.com/questions/71377402/qtimer-singleshot-with-a-lambda-never-fires qt - QTimer::singleShot with a lambda never fires - Stack Overflow
https://stackoverflow.com/questions/tagged/rust?tab=Newest Newest 'rust' Questions - Stack Overflow
https://stackoverflow.com/questions/ask Ask a Question - Stack Overflow
https://stackoverflow.com/search?q=%5Bqt%5D+QDBus+signal+not+received Search Results for "[qt] QDBus signal not received" - Stack Overflow
https://superuser.com/questions/1782290/bluetooth-headset-switches-to-low-quality-mode-during-calls Bluetooth headset switches to low-quality mode during calls - Super User
https://superuser.com/questions/1799012/conditional-formatting-based-on-another-sheet microsoft excel - Conditional formatting based on another sheet - Super User
https://superuser.com/questions/1754403/how-to-batch-convert-heic-to-jpg-on-linux linux - How to batch convert HEIC to JPG - Super User
https://serverfault.com/questions/1143288/postfix-relay-access-denied-for-the-local-network Postfix: Relay access denied for the local network - Server Fault
https://serverfault.com/questions/1139201/nginx-proxy-pass-strips-the-path-prefix nginx proxy_pass strips the path prefix - Server Fault
https://serverfault.com/questions/1150067/systemd-service-hits-start-limit-after-restarts systemd service hits start-limit after restarts - Server Fault
https://askubuntu.com/questions/1501443/wifi-not-working-after-suspend-on-24-04 networking - WiFi not working after suspend on 24.04 - Ask Ubuntu
https://askubuntu.com/questions/1487711/how-to-install-a-deb-file-with-its-dependencies apt - How to install a .deb file with its dependencies - Ask Ubuntu
https://unix.stackexchange.com/questions/759022/files-modified-in-the-last-hour-excluding-one-directory find - Files modified in the last hour, excluding one directory - Unix & Linux Stack Exchange
https://unix.stackexchange.com/questions/762134/why-does-sed-i-change-the-files-owner sed - Why does sed -i change the file's owner? - Unix & Linux Stack Exchange
https://unix.stackexchange.com/questions/748810/rsync-exclude-pattern-not-matching-nested-directories rsync - Exclude pattern not matching nested directories - Unix & Linux Stack Exchange
https://math.stackexchange.com/questions/4812237/expected-value-of-the-maximum-of-n-uniform-variables probability - Expected value of the maximum of n uniform variables - Mathematics Stack Exchange
https://math.stackexchange.com/questions/4790012/showing-a-covariance-matrix-is-positive-semidefinite linear algebra - Showing a covariance matrix is positive semidefinite - Mathematics Stack Exchange
https://tex.stackexchange.com/questions/702118/sort-bibliography-by-year-newest-first biblatex - Sort the bibliography by year, newest first - TeX - LaTeX Stack Exchange
https://tex.stackexchange.com/questions/698833/arrow-between-nodes-in-two-different-tikzpictures tikz pgf - Arrow between nodes in two different tikzpictures - TeX - LaTeX Stack Exchange
https://tex.stackexchange.com/questions/705221/align-numbers-on-the-decimal-point-in-a-table siunitx - Align numbers on the decimal point in a table - TeX - LaTeX Stack Exchange
https://stats.stackexchange.com/questions/631209/negative-r-squared-on-the-test-set regression - Negative R² on the test set - Cross Validated
https://dba.stackexchange.com/questions/331870/vacuum-not-reclaiming-space-after-bulk-delete postgresql - VACUUM not reclaiming space after a bulk delete - Database Administrators Stack Exchange
https://english.stackexchange.com/questions/620331/comma-before-which-in-a-restrictive-clause grammar - Comma before "which" in a restrictive clause - English Language & Usage Stack Exchange
""")
    web("work", "work", """
https://ru.stackoverflow.com/questions/1512234/ Почему std::thread завершается с ошибкой terminate called without an active exception — Stack Overflow на русском
https://ru.stackoverflow.com/questions/1498870/ Как передать переменную окружения в docker compose — Stack Overflow на русском
""", lang="ru")
    web("work", "work", """
https://pt.stackoverflow.com/questions/578121/como-converter-string-para-data-no-formato-dd-mm-yyyy-em-java Como converter string para data no formato dd/MM/yyyy em Java? - Stack Overflow em Português
https://pt.stackoverflow.com/questions/580044/erro-cors-ao-chamar-api-spring-boot-pelo-angular Erro de CORS ao chamar API Spring Boot pelo Angular - Stack Overflow em Português
""", lang="pt")
    web("work", "work", """
https://es.stackoverflow.com/questions/612345/como-agrupar-por-mes-en-una-consulta-sql-server ¿Cómo agrupar por mes en una consulta de SQL Server? - Stack Overflow en español
https://es.stackoverflow.com/questions/598012/error-al-instalar-dependencias-con-pip-en-windows Error al instalar dependencias con pip en Windows - Stack Overflow en español
""", lang="es")
    web("work", "work", """
https://ja.stackoverflow.com/questions/98121/ Pythonでcsvファイルを読み込むと文字化けする - スタック・オーバーフロー
https://ja.stackoverflow.com/questions/97345/ 直前のコミットを取り消して作業ツリーは残したい - スタック・オーバーフロー
""", lang="ja")
    web("other", "neutral", """
https://cooking.stackexchange.com/questions/127011/why-did-my-sourdough-not-rise-in-the-fridge bread - Why did my sourdough not rise in the fridge? - Seasoned Advice
https://diy.stackexchange.com/questions/287744/replacing-a-two-prong-outlet-without-a-ground-wire electrical - Replacing a two-prong outlet without a ground wire - Home Improvement Stack Exchange
https://travel.stackexchange.com/questions/188203/transit-in-frankfurt-without-a-schengen-visa Transit in Frankfurt without a Schengen visa - Travel Stack Exchange
""")
    web("other", "entertainment", """
https://gaming.stackexchange.com/questions/410233/how-do-i-unlock-the-hidden-greenhouse-level How do I unlock the hidden greenhouse level? - Arqade
https://gaming.stackexchange.com/questions/409877/does-fire-resistance-stack-with-enchantments Does fire resistance stack with enchantments? - Arqade
https://scifi.stackexchange.com/questions/285512/why-didnt-the-fleet-just-jump-past-the-blockade Why didn't the fleet just jump past the blockade? - Science Fiction & Fantasy Stack Exchange
https://scifi.stackexchange.com/questions/284019/short-story-about-a-lighthouse-keeper-on-a-moon story identification - Short story about a lighthouse keeper on a moon - Science Fiction & Fantasy Stack Exchange
""")
    web("work", "work", """
https://developer.mozilla.org/en-US/docs/Web/JavaScript/Reference/Global_Objects/Array/flatMap Array.prototype.flatMap() - JavaScript | MDN
https://developer.mozilla.org/en-US/docs/Web/CSS/CSS_containment/Container_queries CSS container queries - CSS: Cascading Style Sheets | MDN
https://developer.mozilla.org/en-US/docs/Web/API/Fetch_API/Using_Fetch Using the Fetch API - Web APIs | MDN
https://developer.mozilla.org/en-US/docs/Web/HTTP/Headers/Content-Security-Policy Content-Security-Policy - HTTP | MDN
https://developer.mozilla.org/en-US/docs/Web/API/IntersectionObserver IntersectionObserver - Web APIs | MDN
https://docs.python.org/3/library/argparse.html argparse — Parser for command-line options, arguments and sub-commands — Python 3.12.4 documentation
https://docs.python.org/3/library/asyncio-task.html Coroutines and Tasks — Python 3.12.4 documentation
https://docs.python.org/3/library/datetime.html#strftime-and-strptime-format-codes datetime — Basic date and time types — Python 3.12.4 documentation
https://docs.python.org/3/library/dataclasses.html dataclasses — Data Classes — Python 3.12.4 documentation
https://docs.python.org/3/tutorial/venv.html 12. Virtual Environments and Packages — Python 3.12.4 documentation
https://www.python.org/downloads/release/python-3124/ Python Release Python 3.12.4 | Python.org
https://peps.python.org/pep-0695/ PEP 695 – Type Parameter Syntax | peps.python.org
https://doc.rust-lang.org/book/ch16-03-shared-state.html Shared-State Concurrency - The Rust Programming Language
https://doc.rust-lang.org/std/collections/struct.BTreeMap.html BTreeMap in std::collections - Rust
https://doc.rust-lang.org/cargo/reference/features.html Features - The Cargo Book
https://doc.rust-lang.org/nomicon/lifetime-elision.html Lifetime Elision - The Rustonomicon
https://www.rust-lang.org/tools/install Install Rust - Rust Programming Language
https://blog.rust-lang.org/2024/09/05/Rust-1.81.0.html Announcing Rust 1.81.0 | Rust Blog
https://en.cppreference.com/w/cpp/container/span std::span - cppreference.com
https://en.cppreference.com/w/cpp/utility/expected std::expected - cppreference.com
https://en.cppreference.com/w/cpp/language/structured_binding Structured binding declaration (since C++17) - cppreference.com
https://en.cppreference.com/w/cpp/thread/jthread std::jthread - cppreference.com
https://en.cppreference.com/w/cpp/ranges/zip_view std::ranges::views::zip, std::ranges::zip_view - cppreference.com
https://go.dev/doc/effective_go Effective Go - The Go Programming Language
https://go.dev/blog/loopvar-preview Fixing For Loops in Go 1.22 - The Go Programming Language
https://go.dev/doc/modules/managing-dependencies Managing dependencies - The Go Programming Language
https://go.dev/play/p/x7Qe2LkNf1T Go Playground - The Go Programming Language
https://nodejs.org/api/stream.html Stream | Node.js v20.17.0 Documentation
https://nodejs.org/api/worker_threads.html Worker threads | Node.js v20.17.0 Documentation
https://nodejs.org/en/about/previous-releases Node.js — Node.js Releases
https://www.typescriptlang.org/docs/handbook/2/conditional-types.html TypeScript: Documentation - Conditional Types
https://www.typescriptlang.org/tsconfig/#strictNullChecks TypeScript: TSConfig Reference - Docs on every TSConfig option
https://www.typescriptlang.org/play/ TS Playground - An online editor for exploring TypeScript and JavaScript
https://react.dev/reference/react/useMemo useMemo – React
https://react.dev/learn/you-might-not-need-an-effect You Might Not Need an Effect – React
https://react.dev/reference/react-dom/components/form <form> – React
https://docs.djangoproject.com/en/5.0/topics/db/queries/ Making queries | Django documentation | Django
https://docs.djangoproject.com/en/5.0/ref/models/querysets/#select-related QuerySet API reference | Django documentation | Django
https://docs.djangoproject.com/en/5.0/howto/deployment/checklist/ Deployment checklist | Django documentation | Django
https://kotlinlang.org/docs/coroutines-basics.html Coroutines basics | Kotlin Documentation
https://kotlinlang.org/docs/sealed-classes.html Sealed classes and interfaces | Kotlin Documentation
https://docs.oracle.com/en/java/javase/21/docs/api/java.base/java/util/concurrent/CompletableFuture.html CompletableFuture (Java SE 21 & JDK 21)
https://docs.oracle.com/javase/tutorial/essential/concurrency/locksync.html Intrinsic Locks and Synchronization (The Java™ Tutorials > Essential Java Classes > Concurrency)
https://docs.oracle.com/en/database/oracle/oracle-database/19/sqlrf/MERGE.html MERGE
https://developer.apple.com/documentation/swiftui/navigationstack NavigationStack | Apple Developer Documentation
https://developer.apple.com/documentation/usernotifications/asking-permission-to-use-notifications Asking permission to use notifications | Apple Developer Documentation
https://developer.apple.com/app-store/review/guidelines/ App Review Guidelines - Apple Developer
https://developer.android.com/develop/ui/views/notifications/notification-permission Notification runtime permission | Views | Android Developers
https://developer.android.com/develop/ui/compose/lists Lists and grids | Jetpack Compose | Android Developers
https://developer.android.com/studio/releases Android Studio release notes | Android Developers
https://learn.microsoft.com/en-us/dotnet/csharp/asynchronous-programming/ Asynchronous programming scenarios - C# | Microsoft Learn
https://learn.microsoft.com/en-us/azure/aks/upgrade-cluster Upgrade an Azure Kubernetes Service (AKS) cluster - Azure Kubernetes Service | Microsoft Learn
https://learn.microsoft.com/en-us/office/vba/api/excel.range.find Range.Find method (Excel) | Microsoft Learn
https://requests.readthedocs.io/en/latest/user/advanced/ Advanced Usage — Requests 2.32.3 documentation
https://docs.readthedocs.io/en/stable/config-file/v2.html Configuration file reference — Read the Docs user documentation
https://tideline.readthedocs.io/en/latest/tuning.html Tuning — Tideline 0.14 documentation
https://sphinx-rtd-theme.readthedocs.io/en/stable/configuring.html Theme options — Read the Docs Sphinx Theme 2.0.0 documentation
https://devdocs.io/javascript/global_objects/intl/datetimeformat Intl.DateTimeFormat — DevDocs
https://devdocs.io/postgresql~16/functions-json 9.16. JSON Functions and Operators — PostgreSQL 16 — DevDocs
https://www.w3schools.com/sql/sql_join_left.asp SQL LEFT JOIN Keyword
https://www.w3schools.com/css/css3_flexbox_container.asp CSS Flex Container
https://www.w3schools.com/python/pandas/pandas_cleaning.asp Pandas - Cleaning Data
https://www.geeksforgeeks.org/dijkstras-shortest-path-algorithm-greedy-algo-7/ How to find Shortest Paths from Source to all Vertices using Dijkstra's Algorithm - GeeksforGeeks
https://www.geeksforgeeks.org/python-program-for-binary-search/ Binary Search - Python - GeeksforGeeks
https://www.freecodecamp.org/news/how-to-use-git-rebase/ How to Use Git Rebase – Tutorial for Beginners
https://www.freecodecamp.org/learn/javascript-algorithms-and-data-structures-v8/ JavaScript Algorithms and Data Structures Certification | freeCodeCamp.org
https://caniuse.com/css-has :has() CSS relational pseudo-class | Can I use... Support tables for HTML5, CSS3, etc
https://caniuse.com/?search=popover "popover" | Can I use... Support tables for HTML5, CSS3, etc
https://regex101.com/r/Q7xk2L/1 regex101: Invoice number pattern
https://regex101.com/ regex101: build, test, and debug regex
https://godbolt.org/z/8rW1cqYa3 Compiler Explorer - C++ (x86-64 gcc 14.1)
https://godbolt.org/z/Gx5Mh3nTo Compiler Explorer - Rust (rustc 1.80.0)
https://codepen.io/hlefevre/pen/QWzRbeX Animated accordion with details and summary
https://codesandbox.io/p/sandbox/checkout-form-repro-7k2qzv checkout-form-repro - CodeSandbox
https://replit.com/@mruiz/inventory-api inventory-api - Replit
https://www.postgresql.org/docs/16/sql-createindex.html PostgreSQL: Documentation: 16: CREATE INDEX
https://www.postgresql.org/docs/16/runtime-config-wal.html PostgreSQL: Documentation: 16: 19.5. Write Ahead Log
https://www.postgresql.org/docs/current/functions-window.html PostgreSQL: Documentation: 16: 9.22. Window Functions
https://cmake.org/cmake/help/latest/command/target_link_libraries.html target_link_libraries — CMake 3.30.3 Documentation
https://cmake.org/cmake/help/latest/module/FetchContent.html FetchContent — CMake 3.30.3 Documentation
https://cmake.org/cmake/help/latest/manual/cmake-presets.7.html cmake-presets(7) — CMake 3.30.3 Documentation
https://www.gnu.org/software/make/manual/html_node/Automatic-Variables.html Automatic Variables (GNU make)
https://www.gnu.org/software/bash/manual/html_node/Shell-Parameter-Expansion.html Shell Parameter Expansion (Bash Reference Manual)
https://www.gnu.org/software/emacs/manual/html_node/emacs/Keyboard-Macros.html Keyboard Macros (GNU Emacs Manual)
https://www.gnu.org/licenses/gpl-3.0.html The GNU General Public License v3.0 - GNU Project - Free Software Foundation
https://man7.org/linux/man-pages/man2/epoll_wait.2.html epoll_wait(2) - Linux manual page
https://man7.org/linux/man-pages/man1/rsync.1.html rsync(1) - Linux manual page
https://man7.org/linux/man-pages/man7/inotify.7.html inotify(7) - Linux manual page
https://wiki.archlinux.org/title/PipeWire PipeWire - ArchWiki
https://wiki.archlinux.org/title/Systemd/Timers systemd/Timers - ArchWiki
https://wiki.archlinux.org/title/Wayland Wayland - ArchWiki
https://kubernetes.io/docs/concepts/workloads/controllers/deployment/ Deployments | Kubernetes
https://kubernetes.io/docs/tasks/configure-pod-container/configure-liveness-readiness-startup-probes/ Configure Liveness, Readiness and Startup Probes | Kubernetes
https://docs.docker.com/compose/how-tos/networking/ Networking in Compose | Docker Docs
https://docs.docker.com/build/building/multi-stage/ Multi-stage builds | Docker Docs
https://www.docker.com/pricing/ Pricing | Docker
https://pytorch.org/docs/stable/generated/torch.nn.CrossEntropyLoss.html CrossEntropyLoss — PyTorch 2.4 documentation
https://pytorch.org/tutorials/beginner/basics/data_tutorial.html Datasets & DataLoaders — PyTorch Tutorials 2.4.0+cu121 documentation
https://learn.unity.com/tutorial/introduction-to-cinemachine Introduction to Cinemachine - Unity Learn
https://unity.com/how-to/programming-unity Programming in Unity: best practices for scripting | Unity
https://docs.godotengine.org/en/stable/tutorials/physics/using_character_body_2d.html Using CharacterBody2D/3D — Godot Engine (stable) documentation in English
https://godotengine.org/download/linux/ Download for Linux – Godot Engine
https://leetcode.com/problems/merge-intervals/ Merge Intervals - LeetCode
https://leetcode.com/problems/lru-cache/description/ LRU Cache - LeetCode
https://www.hackerrank.com/test/3fd8a1c2b7/questions Brightmoor Backend Assessment :: HackerRank
https://www.hackerrank.com/challenges/ctci-ransom-note/problem Hash Tables: Ransom Note | HackerRank
""")
    web("work", "work", """
https://developer.mozilla.org/fr/docs/Learn/JavaScript/Asynchronous/Introducing Introduction au JavaScript asynchrone - Apprendre le développement web | MDN
https://docs.python.org/fr/3/library/pathlib.html pathlib — Chemins de système de fichiers orientés objet — Documentation Python 3.12.4
""", lang="fr")
    web("work", "work", """
https://developer.mozilla.org/ja/docs/Web/HTML/Element/dialog <dialog>: ダイアログ要素 - HTML: HyperText Markup Language | MDN
https://docs.python.org/ja/3/library/re.html re --- 正規表現操作 — Python 3.12.4 ドキュメント
https://ja.react.dev/learn/thinking-in-react React の流儀 – React
""", lang="ja")
    web("work", "work", """
https://developer.mozilla.org/es/docs/Learn/Forms/Form_validation Validación de formularios del lado del cliente - Aprende desarrollo web | MDN
https://learn.microsoft.com/es-es/power-bi/transform-model/desktop-relationships-understand Relaciones de modelos en Power BI Desktop - Power BI | Microsoft Learn
https://www.freecodecamp.org/espanol/news/como-usar-flexbox/ Cómo usar Flexbox: guía para principiantes
""", lang="es")
    web("work", "work", """
https://learn.microsoft.com/de-de/azure/storage/blobs/storage-quickstart-blobs-portal Schnellstart: Hochladen, Herunterladen und Auflisten von Blobs im Azure-Portal - Azure Storage | Microsoft Learn
https://wiki.archlinux.de/title/Systemd/Timer Systemd/Timer – wiki.archlinux.de
""", lang="de")
    web("work", "work", """
https://zh.cppreference.com/w/cpp/language/lambda Lambda 表达式 (C++11 起) - cppreference.com
https://kubernetes.io/zh-cn/docs/concepts/services-networking/service/ 服务（Service） | Kubernetes
""", lang="zh")
    web("other", "entertainment", """
https://codepen.io/trending Trending on CodePen
https://www.codewars.com/kata/54d7660d2daf68c619000d95 Common Denominators | Codewars
https://www.codewars.com/dashboard Home | Codewars
https://adventofcode.com/2023/day/12 Day 12 - Advent of Code 2023
https://adventofcode.com/2023/leaderboard/private/view/1638219 Private Leaderboard - Advent of Code 2023
""")


# ---------------------------------------------------------------------------------------------
# Software: local servers, cloud consoles, monitoring, assistants, communities


def operations_and_assistants():
    web("work", "work", """
http://localhost:5173/checkout?step=shipping Checkout · Brightmoor (dev)
http://localhost:3000/ React App
http://localhost:8000/admin/orders/order/ Select order to change | Django site admin
http://localhost:8888/lab/tree/churn/cohorts.ipynb cohorts.ipynb - JupyterLab
http://localhost:8080/api/docs Swagger UI
http://localhost:9090/graph Prometheus Time Series Collection and Processing Server
http://localhost:4000/blog/2024/release-notes/ Release notes for 2.8 | Brightmoor Engineering
http://localhost:3001/d/ingest-overview/ingest-overview?orgId=1 Ingest overview - Dashboards - Grafana
http://localhost:15672/#/queues RabbitMQ Management
http://localhost:6006/?path=/story/components-button--primary Components / Button - Primary ⋅ Storybook
http://localhost:1313/posts/quarterly-field-report/ Quarterly field report | Kestrel Freight Blog (draft)
http://127.0.0.1:8000/docs Ledger API - Swagger UI
http://127.0.0.1:8050/ Route planner – depot view
http://127.0.0.1:5000/login Sign in · Fieldnotes (development)
https://eu-west-1.console.aws.amazon.com/ec2/home?region=eu-west-1#Instances: Instances | EC2 | eu-west-1
https://s3.console.aws.amazon.com/s3/buckets/brightmoor-exports?region=eu-west-1 brightmoor-exports - S3 bucket | S3 | Global
https://eu-west-1.console.aws.amazon.com/cloudwatch/home?region=eu-west-1#logsV2:log-groups CloudWatch | eu-west-1
https://us-east-1.console.aws.amazon.com/billing/home#/bills Bills | Billing and Cost Management | Global
https://docs.aws.amazon.com/lambda/latest/dg/configuration-concurrency.html Configuring reserved concurrency for a function - AWS Lambda
https://aws.amazon.com/rds/postgresql/pricing/ Amazon RDS for PostgreSQL Pricing | Cloud Relational Database | Amazon Web Services
https://console.cloud.google.com/bigquery?project=pinecrest-dw BigQuery – pinecrest-dw – Google Cloud console
https://console.cloud.google.com/run/detail/europe-west1/report-renderer/metrics report-renderer – Cloud Run – pinecrest-dw – Google Cloud console
https://cloud.google.com/bigquery/docs/partitioned-tables Introduction to partitioned tables | BigQuery | Google Cloud
https://colab.research.google.com/drive/1aB3xY7qLm0pQ2rS churn_baseline.ipynb - Colab
https://colab.research.google.com/drive/1Kk9TzW4vN8hJ5eR fine_tune_classifier.ipynb - Colab
https://developers.google.com/maps/documentation/routes/compute_route_matrix Compute a route matrix | Routes API | Google for Developers
https://developers.google.com/search/docs/appearance/structured-data/product Product structured data | Google Search Central | Documentation | Google for Developers
https://portal.azure.com/#view/HubsExtension/BrowseResourceGroups Resource groups - Microsoft Azure
https://portal.azure.com/#home Home - Microsoft Azure
https://azure.microsoft.com/en-gb/pricing/calculator/ Pricing Calculator | Microsoft Azure
https://dashboard.heroku.com/apps/fieldnotes-staging/logs fieldnotes-staging · Logs | Heroku
https://vercel.com/copperline/site/deployments Deployments – site – Vercel
https://vercel.com/docs/projects/environment-variables Environment Variables
https://app.netlify.com/sites/tallow-reed-portfolio/deploys Deploys | tallow-reed-portfolio | Netlify
https://dash.cloudflare.com/4f2b9a0c1d/tallowreed.co/dns/records DNS Records | tallowreed.co | Cloudflare
https://developers.cloudflare.com/workers/runtime-apis/kv/ KV · Cloudflare Workers docs
https://brightmoor.sentry.io/issues/5127730981/ TypeError: Cannot read properties of null (reading 'total') — checkout-web — Sentry
https://brightmoor.sentry.io/performance/ Performance — Sentry
https://app.datadoghq.com/dashboard/xk2-9fa-pq1/ledger-api-overview ledger-api overview | Datadog
https://app.datadoghq.com/monitors/14820937 [P2] Settlement queue depth above 500 | Datadog
https://brightmoor.grafana.net/d/k8s-nodes/kubernetes-nodes?orgId=1&from=now-6h&to=now Kubernetes / Nodes - Dashboards - Grafana
https://grafana.com/docs/loki/latest/query/ LogQL: Log query language | Grafana Loki documentation
https://learning.postman.com/docs/writing-scripts/test-scripts/ Write scripts to test API response data in Postman | Postman Docs
https://www.postman.com/brightmoor/ledger-api/collection/3b1c2d4e/ledger-v2 Ledger v2 | Postman API Network
https://platform.openai.com/usage Usage - OpenAI API
https://platform.openai.com/docs/guides/embeddings Embeddings - OpenAI API
""")
    web("work", "work", """
https://chatgpt.com/c/{u} Fix CMake Qt6 linker error
https://chatgpt.com/c/{u} SQL window function for running totals
https://chatgpt.com/c/{u} Refactor React reducer into hooks
https://chatgpt.com/c/{u} Email to client about delivery delay
https://chatgpt.com/c/{u} Regex for UK postcodes
https://chatgpt.com/c/{u} Pivot table formula for monthly totals
https://chat.openai.com/c/{u} Explain Kubernetes readiness probes
https://chat.openai.com/c/{u} Draft job ad for a data engineer
https://claude.ai/chat/{u} Quarterly report outline for the board
https://claude.ai/chat/{u} Summarise indemnity clauses in supplier contract
https://claude.ai/chat/{u} Lesson plan on photosynthesis for year 8
https://claude.ai/chat/{u} Review of the onboarding survey questions
https://gemini.google.com/app/{h}{h} Gemini - Product description for the spring catalogue
https://copilot.microsoft.com/chats/{r}{r} Summarise meeting notes into action items | Microsoft Copilot
https://www.perplexity.ai/search/postgres-partitioning-best-practices-{r} postgres partitioning best practices
https://www.perplexity.ai/search/gdpr-retention-period-for-cctv-{r} GDPR retention period for CCTV footage
""")
    web("work", "work", """
https://chatgpt.com/c/{u} Angebot für Wartungsvertrag formulieren
https://claude.ai/chat/{u} Zusammenfassung des Protokolls vom Jour fixe
""", lang="de")
    web("work", "work", """
https://chatgpt.com/c/{u} Rédiger une relance pour une facture impayée
""", lang="fr")
    web("work", "work", """
https://chatgpt.com/c/{u} Corregir fórmula BUSCARV en la hoja de costes
""", lang="es")
    web("work", "neutral", """
https://gemini.google.com/app Gemini
https://copilot.microsoft.com/ Microsoft Copilot: Your AI companion
https://chatgpt.com/ ChatGPT
""")
    web("other", "neutral", """
https://chatgpt.com/c/{u} Birthday party ideas for a 7 year old
https://chatgpt.com/c/{u} Lasagna for 8 people shopping list
https://claude.ai/chat/{u} Four days in Lisbon itinerary
https://chatgpt.com/c/{u} Beginner 3-day workout plan
https://gemini.google.com/app/{h}{h} Gemini - Names for a grey kitten
https://www.perplexity.ai/search/is-the-new-tomb-raider-worth-it-{r} is the new tomb raider worth it
""")
    web("other", "entertainment", """
https://character.ai/chat/{r}{r} Captain Maren | character.ai
https://character.ai/chat/{r}{r}{r} Detective Ashgrove | character.ai
https://character.ai/ character.ai | Personalized AI for every moment of your day
""")


def tech_communities():
    web("work", "work", """
https://www.reddit.com/r/programming/comments/{r}/the_hidden_cost_of_feature_flags/ The hidden cost of feature flags : r/programming
https://www.reddit.com/r/learnprogramming/comments/{r}/how_do_i_structure_a_small_flask_project/ How do I structure a small Flask project? : r/learnprogramming
https://www.reddit.com/r/cpp/comments/{r}/stdexpected_vs_exceptions_in_a_large_codebase/ std::expected vs exceptions in a large codebase : r/cpp
https://www.reddit.com/r/rust/comments/{r}/why_is_my_async_code_slower_than_sync/ Why is my async code slower than the sync version? : r/rust
https://www.reddit.com/r/Python/comments/{r}/uv_vs_pip_tools_for_a_monorepo/ uv vs pip-tools for a monorepo : r/Python
https://www.reddit.com/r/learnpython/comments/{r}/keyerror_when_iterating_over_dict_of_lists/ KeyError when iterating over a dict of lists : r/learnpython
https://www.reddit.com/r/golang/comments/{r}/errgroup_vs_waitgroup_for_bounded_workers/ errgroup vs WaitGroup for bounded workers : r/golang
https://www.reddit.com/r/javascript/comments/{r}/signals_in_plain_javascript_without_a_framework/ Signals in plain JavaScript without a framework : r/javascript
https://www.reddit.com/r/typescript/comments/{r}/typing_a_function_that_returns_different_shapes/ Typing a function that returns different shapes by argument : r/typescript
https://www.reddit.com/r/webdev/comments/{r}/how_do_you_handle_image_uploads_at_scale/ How do you handle image uploads at scale? : r/webdev
https://www.reddit.com/r/reactjs/comments/{r}/server_components_and_forms_confused/ Server components and forms — confused about where validation goes : r/reactjs
https://www.reddit.com/r/node/comments/{r}/memory_leak_in_express_app_with_streams/ Memory leak in an Express app with streams : r/node
https://www.reddit.com/r/java/comments/{r}/virtual_threads_in_production_experiences/ Virtual threads in production: experiences? : r/java
https://www.reddit.com/r/csharp/comments/{r}/iasyncenumerable_vs_channels/ IAsyncEnumerable vs Channels for a pipeline : r/csharp
https://www.reddit.com/r/dotnet/comments/{r}/ef_core_migrations_in_ci/ EF Core migrations in CI without a live database : r/dotnet
https://www.reddit.com/r/haskell/comments/{r}/monad_transformers_vs_effect_systems_2024/ Monad transformers vs effect systems in 2024 : r/haskell
https://www.reddit.com/r/devops/comments/{r}/how_do_you_manage_secrets_for_20_services/ How do you manage secrets for 20 services? : r/devops
https://www.reddit.com/r/sysadmin/comments/{r}/printer_driver_update_broke_every_label_printer/ Printer driver update broke every label printer : r/sysadmin
https://www.reddit.com/r/kubernetes/comments/{r}/hpa_scaling_too_late_on_spiky_traffic/ HPA scaling too late on spiky traffic : r/kubernetes
https://www.reddit.com/r/aws/comments/{r}/nat_gateway_costs_are_killing_us/ NAT gateway costs are killing us : r/aws
https://www.reddit.com/r/MachineLearning/comments/{r}/d_small_embedding_models_for_on_device/ [D] Small embedding models for on-device classification : r/MachineLearning
https://www.reddit.com/r/datascience/comments/{r}/how_do_you_explain_uplift_models_to_stakeholders/ How do you explain uplift models to stakeholders? : r/datascience
https://www.reddit.com/r/ExperiencedDevs/comments/{r}/how_do_you_review_a_3000_line_pr/ How do you review a 3000-line PR? : r/ExperiencedDevs
https://www.reddit.com/r/softwareengineering/comments/{r}/is_event_sourcing_worth_it_for_a_crud_app/ Is event sourcing worth it for a CRUD app? : r/softwareengineering
https://www.reddit.com/r/compsci/comments/{r}/intuition_for_amortised_analysis/ Intuition for amortised analysis : r/compsci
https://www.reddit.com/r/excel/comments/{r}/xlookup_returning_na_with_trailing_spaces/ XLOOKUP returning #N/A with trailing spaces : r/excel
https://www.reddit.com/r/vim/comments/{r}/macro_to_reformat_csv_columns/ Macro to reformat CSV columns : r/vim
https://www.reddit.com/r/neovim/comments/{r}/lsp_rename_across_files_not_working/ LSP rename across files not working : r/neovim
https://www.reddit.com/r/emacs/comments/{r}/org_agenda_custom_view_for_client_projects/ Org agenda custom view for client projects : r/emacs
https://www.reddit.com/r/commandline/comments/{r}/jq_one_liner_to_flatten_nested_arrays/ jq one-liner to flatten nested arrays : r/commandline
https://www.reddit.com/r/AskProgramming/comments/{r}/how_to_version_a_rest_api_without_breaking_clients/ How to version a REST API without breaking clients? : r/AskProgramming
https://www.reddit.com/r/embedded/comments/{r}/stm32_dma_uart_drops_bytes_at_921600/ STM32 DMA UART drops bytes at 921600 baud : r/embedded
https://www.reddit.com/r/linux/comments/{r}/pipewire_echo_cancellation_for_video_calls/ PipeWire echo cancellation for video calls : r/linux
https://www.reddit.com/r/gamedev/comments/{r}/fixed_timestep_with_interpolation_explained/ Fixed timestep with interpolation, explained : r/gamedev
https://www.reddit.com/r/rust/ r/rust
https://www.reddit.com/r/sysadmin/ r/sysadmin
""")
    web("other", "entertainment", """
https://www.reddit.com/r/linux/comments/{r}/my_desktop_after_ten_years_of_ricing/ My desktop after ten years of ricing : r/linux
https://www.reddit.com/r/gamedev/comments/{r}/my_first_game_made_12_dollars_ama/ My first game made $12, AMA : r/gamedev
https://www.reddit.com/r/ProgrammerHumor/comments/{r}/when_the_tests_pass_on_the_first_try/ When the tests pass on the first try : r/ProgrammerHumor
https://www.reddit.com/r/ProgrammerHumor/ r/ProgrammerHumor
https://news.ycombinator.com/ Hacker News
https://news.ycombinator.com/newest New Links | Hacker News
https://news.ycombinator.com/item?id=41872301 Show HN: I built a weather station out of a toaster | Hacker News
https://news.ycombinator.com/item?id=41790452 The forgotten history of the pneumatic mail network | Hacker News
https://lobste.rs/ Lobsters
https://slashdot.org/ Slashdot: News for nerds, stuff that matters
https://tech.slashdot.org/story/24/10/12/0211234/researchers-build-a-transistor-from-wood Researchers Build a Transistor From Wood - Slashdot
https://medium.com/@sundaywalker/the-art-of-doing-nothing-on-weekends-{h} The Art of Doing Nothing on Weekends | by Sunday Walker | Medium
https://fosstodon.org/explore Explore - Fosstodon
""")
    web("other", "neutral", """
https://www.reddit.com/r/cscareerquestions/comments/{r}/is_it_normal_to_get_no_feedback_after_a_final_round/ Is it normal to get no feedback after a final round? : r/cscareerquestions
https://news.ycombinator.com/item?id=41855019 Ask HN: What are you working on this month? | Hacker News
https://news.ycombinator.com/item?id=41863127 Why we moved off Kubernetes | Hacker News
https://lobste.rs/s/7kq2xw/my_favourite_unix_tools_2024 My favourite Unix tools, 2024 edition | Lobsters
https://lwn.net/ Welcome to LWN.net [LWN.net]
""")
    web("work", "work", """
https://news.ycombinator.com/item?id=41811206 Postgres 17 released: incremental backups and faster vacuum | Hacker News
https://news.ycombinator.com/item?id=41820933 Show HN: A tiny SQLite-backed job queue for Go | Hacker News
https://lobste.rs/s/n2v8fa/understanding_io_uring_buffer_rings Understanding io_uring buffer rings | Lobsters
https://dev.to/priyaraman/testing-react-forms-with-playwright-without-flakiness-4k1p Testing React forms with Playwright without flakiness - DEV Community
https://dev.to/ekaya/a-practical-guide-to-github-actions-caching-2jb8 A practical guide to GitHub Actions caching - DEV Community
https://dev.to/search?q=terraform%20modules Search Results - DEV Community
https://medium.com/@jonasvik/route-optimisation-with-time-windows-in-python-{h} Route optimisation with time windows in Python | by Jonas Vik | Medium
https://medium.com/brightmoor-engineering/how-we-cut-our-ci-time-in-half-{h} How we cut our CI time in half | by Omar Haddad | Brightmoor Engineering | Medium
https://pinecrestdata.substack.com/p/cohort-analysis-without-the-pain Cohort analysis without the pain - Pinecrest Data Notes
https://lwn.net/Articles/981243/ A look at the 6.11 merge window [LWN.net]
https://lwn.net/Articles/979810/ Rust for filesystems [LWN.net]
https://lwn.net/Articles/985533/ Python's free-threaded build and the C API [LWN.net]
https://fosstodon.org/@tideline/113219884412201544 Tideline (@tideline@fosstodon.org): "Tideline 0.14 is out with faster compaction …" - Fosstodon
https://discord.com/developers/docs/interactions/application-commands Discord Developer Portal — Documentation — Application Commands
https://discord.com/developers/applications/1281{n}/bot Discord Developer Portal — My Applications
""")
    web("work", "work", """
https://www.heise.de/ratgeber/Docker-Compose-richtig-einsetzen-So-strukturieren-Sie-Projekte-9876543.html Docker Compose richtig einsetzen: So strukturieren Sie Projekte | heise online
https://www.heise.de/developer/artikel/Java-21-Virtuelle-Threads-in-der-Praxis-9761234.html Java 21: Virtuelle Threads in der Praxis | heise Developer
""", lang="de")
    web("other", "entertainment", """
https://www.heise.de/news/Smartphone-Test-Die-besten-Mittelklasse-Handys-im-Vergleich-9912345.html Smartphone-Test: Die besten Mittelklasse-Handys im Vergleich | heise online
https://www.heise.de/ heise online - IT-News, Nachrichten und Hintergründe | heise online
""", lang="de")
    youtube("work", "work", """
Back to Basics: Move Semantics - CppCon 2024
Designing for Testability in Embedded C++ - CppCon 2023
Lecture 3: Divide and Conquer - MIT 6.046J Design and Analysis of Algorithms
CS50x 2024 - Lecture 6 - Python
PostgreSQL Indexing Explained: B-tree, GIN, BRIN
Kubernetes Networking in 30 Minutes – Full Course
Learn Docker in 1 Hour – Containers for Beginners
Excel XLOOKUP Tutorial: 10 Real-World Examples
Figma Auto Layout Masterclass 2024
Blender Hard Surface Modelling for Product Renders
DaVinci Resolve Colour Grading for Beginners
Intro to QGIS: Making Your First Map
Rust Ownership Explained Visually
Stanford CS229: Machine Learning - Lecture 4 - Generalized Linear Models
How to Read a Balance Sheet in 12 Minutes
Writing Better Git Commit Messages - GOTO 2023
Event-Driven Architecture Pitfalls - NDC Oslo 2024
Google I/O 2024: What's new in Android
KiCad 8 Tutorial: Designing a Two-Layer PCB
Inkscape Logo Design Workflow for Client Work
""")
    web("work", "work", """
https://www.youtube.com/@cppcon/videos CppCon - YouTube
https://www.youtube.com/@mitocw/playlists MIT OpenCourseWare - YouTube
https://www.youtube.com/@cs50/featured CS50 - YouTube
https://www.youtube.com/@freecodecamp/search?query=kubernetes freeCodeCamp.org - YouTube
https://www.youtube.com/@GoogleDevelopers/videos Google for Developers - YouTube
https://www.youtube.com/@stanfordonline/playlists Stanford Online - YouTube
https://www.youtube.com/@GOTO-/videos GOTO Conferences - YouTube
https://www.youtube.com/@NDCConferences/search?query=testing NDC Conferences - YouTube
https://youtu.be/{v} Quarterly all-hands recording (unlisted) - YouTube
""")
    youtube("work", "work", """
Excel: SVERWEIS und XVERWEIS einfach erklärt
Docker-Grundlagen für Entwickler – kompletter Kurs auf Deutsch
""", lang="de")
    youtube("work", "work", """
Curso de SQL desde cero: JOINs explicados
Cómo hacer una factura en LibreOffice Calc paso a paso
""", lang="es")
    youtube("work", "work", """
Tutoriel Kdenlive : monter une interview en 10 minutes
""", lang="fr")
    youtube("work", "work", """
Pythonで業務自動化：Excelレポートを一括作成する
""", lang="ja")


# ---------------------------------------------------------------------------------------------
# Software: editors, development environments, terminals and tools on the desktop


def development_programs():
    app("work", "work", "Visual Studio Code", """
queue.rs - ingest - Visual Studio Code
● queue.rs - ingest - Visual Studio Code
s3.rs - ingest - Visual Studio Code
promo.ts - checkout-web - Visual Studio Code
● CartSummary.tsx - checkout-web - Visual Studio Code
playwright.config.ts - checkout-web - Visual Studio Code
refunds.py - ledger-api - Visual Studio Code
test_settlement.py - ledger-api - Visual Studio Code
main.tf - infra - Visual Studio Code
values.yaml - helm-charts - Visual Studio Code
README.md - tinyjson - Visual Studio Code
Dockerfile - route-planner - Visual Studio Code
cohorts.ipynb - notebooks - Visual Studio Code
settings.json - Visual Studio Code
Welcome - Visual Studio Code
Untitled-1 - Visual Studio Code
Search - ledger-api - Visual Studio Code
Source Control - checkout-web - Visual Studio Code
docker-compose.yml - fieldnotes [SSH: build-01] - Visual Studio Code
.github/workflows/ci.yml - ingest - Visual Studio Code
""")
    app("work", "work", "Code - OSS", """
deploy.go - orbit-cli - Code - OSS
config_test.go - orbit-cli - Code - OSS
""")
    app("work", "work", "VSCodium", """
GalleryBlock.php - cms-plugins - VSCodium
style.scss - copperline-theme - VSCodium
""")
    app("work", "work", "Cursor", """
segment.rs - tideline - Cursor
compaction.rs - tideline - Cursor
""")
    app("work", "work", "Zed", """
ingest — src/sink/s3.rs
tidepool — src/chart/axis.ts
""")
    app("work", "work", "Sublime Text", """
~/src/site/_layouts/post.html (site) - Sublime Text
~/clients/kestrel/routes.csv - Sublime Text
""")
    app("work", "work", "Emacs", """
init.el - GNU Emacs at kestrel
clients.org - GNU Emacs at kestrel
*Messages* - GNU Emacs at kestrel
thesis-ch3.tex - GNU Emacs at brick
""")
    app("work", "work", "GVim", """
notes.md (~/work/brightmoor) - GVIM
nginx.conf (/etc/nginx) - GVIM
""")
    app("work", "work", "Neovim", """
parser.c (~/src/tinyjson/src) - Nvim
""")
    app("work", "work", "Kate", """
pricing.py — quote-engine — Kate
surcharges.yaml — quote-engine — Kate
""")
    app("work", "work", "KWrite", """
changelog.txt — KWrite
""")
    app("work", "work", "gedit", """
README.md (~/src/tinyjson) - gedit
""")
    app("work", "work", "Text Editor", """
standup-notes.md
release-checklist.txt
Untitled Document 1
""")
    app("work", "work", "Mousepad", """
todo-sprint42.txt - Mousepad
""")
    app("work", "work", "Geany", """
main.c - /home/tkowal/src/tinyjson/src - Geany
""")
    app("work", "work", "IntelliJ IDEA", """
route-planner – DepotService.java
route-planner – GeocoderCache.java
route-planner – build.gradle.kts
""")
    app("work", "work", "IntelliJ IDEA Community Edition", """
fieldcalc – CsvImporter.java
""")
    app("work", "work", "PyCharm", """
ledger-api – refunds.py
ledger-api – conftest.py
""")
    app("work", "work", "PyCharm Community Edition", """
etl – backfill_currency.py
""")
    app("work", "work", "WebStorm", """
checkout-web – promo.ts
""")
    app("work", "work", "CLion", """
tinyjson – parser.c
station-monitor – CMakeLists.txt
""")
    app("work", "work", "GoLand", """
orbit-cli – ssh.go
""")
    app("work", "work", "Rider", """
Payroll – OvertimeCalculator.cs
""")
    app("work", "work", "PhpStorm", """
cms-plugins – GalleryBlock.php
""")
    app("work", "work", "RustRover", """
tideline – segment.rs
""")
    app("work", "work", "DataGrip", """
pinecrest-dw – console [warehouse]
ledger – refunds_by_day.sql
""")
    app("work", "work", "Android Studio", """
mobile-app – MainActivity.kt [mobile-app.app.main]
mobile-app – NotificationPermission.kt [mobile-app.app.main]
""")
    app("work", "work", "Eclipse", """
eclipse-workspace - fieldcalc/src/main/java/org/fieldcalc/CsvImporter.java - Eclipse IDE
""")
    app("work", "work", "NetBeans", """
Inventory - Apache NetBeans IDE 21
""")
    app("work", "work", "Qt Creator", """
mainwindow.cpp @ station-monitor - Qt Creator
sensorthread.h @ station-monitor - Qt Creator
""")
    app("work", "work", "KDevelop", """
station-monitor: sensorthread.cpp — KDevelop
""")
    app("work", "work", "RStudio", """
trial_analysis.R - RStudio
survival_curves.Rmd - RStudio
~/projects/clinic-audit - RStudio
""")
    app("work", "work", "Spyder", """
spectra_fit.py - Spyder (Python 3.11)
""")
    app("work", "work", "JupyterLab", """
demand_forecast.ipynb - JupyterLab
""")
    app("work", "work", "GNU Octave", """
filter_design.m - GNU Octave
""")
    app("work", "work", "MATLAB", """
MATLAB R2024a - academic use
beam_deflection.m - MATLAB R2024a
""")
    app("work", "work", "Arduino IDE", """
greenhouse_sensor | Arduino IDE 2.3.2
""")
    app("work", "work", "Godot Engine", """
Lanternfall - main_menu.tscn - Godot Engine
""")
    app("work", "work", "Unity", """
Harbourline - SampleScene - Windows, Mac, Linux - Unity 2022.3.40f1 <Vulkan>
""")
    app("work", "work", "Postman", """
Ledger v2 - Create refund - Postman
""")
    app("work", "work", "DBeaver", """
DBeaver 24.1.5 - <ledger-prod> Script-12
DBeaver 24.1.5 - orders
""")
    app("work", "work", "pgAdmin 4", """
ledger_staging/postgres@staging-db - pgAdmin 4
""")
    app("work", "work", "MySQL Workbench", """
cms_production - MySQL Workbench
""")
    app("work", "work", "DB Browser for SQLite", """
DB Browser for SQLite - /home/elin/data/fieldnotes.db
""")
    app("work", "work", "Docker Desktop", """
Containers - Docker Desktop
""")
    app("work", "work", "Oracle VM VirtualBox", """
Windows 11 browser test [Running] - Oracle VirtualBox
""")
    app("work", "work", "Virtual Machine Manager", """
debian12-build on QEMU/KVM
""")
    app("work", "work", "Boxes", """
Fedora 40 packaging test
""")
    app("work", "work", "Wireshark", """
capture-payment-timeout.pcapng
Capturing from enp3s0
""")
    app("work", "work", "Meld", """
settings.py — settings.py.orig - Meld
""")
    app("work", "work", "gitg", """
ingest
""")
    app("work", "work", "Git Cola", """
git-cola: ledger-api [release-2.8]
""")
    app("work", "work", "GitKraken", """
GitKraken - checkout-web
""")
    app("work", "work", "GitHub Desktop", """
GitHub Desktop
""")
    app("work", "work", "FileZilla", """
deploy@files.marlowprint.co.uk - FileZilla
""")
    app("work", "work", "Remmina", """
acct-win-01 - Remmina
""")
    app("work", "work", "Visual Studio Code", """
rechnung_export.py - faktura - Visual Studio Code
Angebot_Vorlage.tex - angebote - Visual Studio Code
""", lang="de")
    app("work", "work", "Visual Studio Code", """
报表导出.py - report-service - Visual Studio Code
""", lang="zh")
    app("work", "work", "Visual Studio Code", """
請求書テンプレート.html - invoice-app - Visual Studio Code
""", lang="ja")


def terminals():
    names = ("Terminal", "Konsole", "Console", "Ptyxis", "Alacritty", "kitty", "WezTerm",
             "Terminator", "Tilix", "xterm", "Xfce Terminal", "Terminal", "LXTerminal",
             "MATE Terminal", "QTerminal", "Guake Terminal", "URxvt", "Sakura", "Terminology")
    apps("work", "work", names, """
nina@kestrel: ~/src/ingest
~/src/ingest : cargo — Konsole
tkowal@brick: ~/work/tinyjson/build
ssh deploy@app-03.brightmoor.internal
vim config/nginx/site.conf
make -j8
psql ledger_staging
kubectl logs -f deploy/ingest -n prod
docker compose up
python manage.py runserver
npm run dev
git rebase -i HEAD~4
tail -f /var/log/nginx/error.log
pytest -k refunds -x
~/clients/kestrel : zsh
elin@lab-ws: ~/data/exports
cargo build --release
terraform plan -out=tfplan
ansible-playbook site.yml --limit web
htop on db-01
ssh nina@bastion.ferncloud.io
go test ./internal/deploy/...
mvn -pl route-core test
R CMD check pinecrest.metrics
latexmk -pvc thesis.tex
ffmpeg -i interview_raw.mov
rsync -av renders/ nas:/projects/saltmarsh
journalctl -u ingest -f
watch kubectl get pods -n staging
jdewit@ws-14: ~/src/orbit-cli
sqlite3 fieldnotes.db
lazygit
nvim src/queue.rs
tmux: ops
flask db upgrade
gradle assembleDebug
""")
    apps("other", "neutral", ("Terminal", "Konsole", "kitty", "Alacritty"), """
sudo apt full-upgrade
ncspot
cava
neofetch
""")
    apps("other", "entertainment", ("Terminal", "Alacritty"), """
nethack
cmatrix
""")
    app("work", "work", "Terminal", """
lena@werkbank: ~/Dokumente/Angebote
lena@werkbank: ~/Projekte/lagerverwaltung
""", lang="de")
    app("work", "work", "端末", """
kenji@minato-ws: ~/開発/line-monitor
""", lang="ja")
    app("work", "work", "终端", """
meilin@qh-dev: ~/项目/report-service
""", lang="zh")
    app("work", "work", "Терминал", """
anya@sever: ~/проекты/склад-api
""", lang="ru")
    app("work", "work", "Uçbirim", """
emre@kuzey: ~/projeler/fatura-servisi
""", lang="tr")


# ---------------------------------------------------------------------------------------------
# Projects, tickets, documents and office suites on the web


def project_tools():
    web("work", "work", """
https://brightmoor.atlassian.net/browse/PAY-1423 [PAY-1423] Refund webhook retries forever - Jira
https://brightmoor.atlassian.net/browse/PAY-1431 [PAY-1431] Add idempotency keys to payout API - Jira
https://brightmoor.atlassian.net/browse/WEB-882 [WEB-882] Checkout button jumps when the cookie banner closes - Jira
https://brightmoor.atlassian.net/browse/WEB-890 [WEB-890] Spike: evaluate server-side rendering for product pages - Jira
https://brightmoor.atlassian.net/browse/OPS-310 [OPS-310] Staging database disk at 85% - Jira
https://brightmoor.atlassian.net/browse/MOB-415 [MOB-415] Push notifications not delivered on Android 14 - Jira
https://brightmoor.atlassian.net/jira/software/projects/PAY/boards/12 PAY board - Agile board - Jira
https://brightmoor.atlassian.net/jira/software/projects/WEB/boards/4/backlog WEB backlog - Jira
https://brightmoor.atlassian.net/jira/software/c/projects/OPS/issues/?filter=myopenissues My open issues - OPS - Jira
https://brightmoor.atlassian.net/jira/dashboards/10021 Release 2.9 readiness - Dashboards - Jira
https://brightmoor.atlassian.net/wiki/spaces/ENG/pages/2342913/Onboarding+checklist Onboarding checklist - Engineering - Confluence
https://brightmoor.atlassian.net/wiki/spaces/ENG/pages/2519041/Incident+review+2024-10-03 Incident review 2024-10-03 - Engineering - Confluence
https://brightmoor.atlassian.net/wiki/spaces/PM/pages/2611877/Q1+planning+-+payments Q1 planning - payments - Product Management - Confluence
https://brightmoor.atlassian.net/wiki/spaces/SUP/pages/1980233/Refund+escalation+process Refund escalation process - Support - Confluence
https://kestrelfreight.atlassian.net/browse/ROUTE-77 [ROUTE-77] Driver app shows yesterday's manifest - Jira
https://kestrelfreight.atlassian.net/servicedesk/customer/portal/2/ITSD-1290 ITSD-1290 Laptop for the new dispatcher - Service Desk
https://kestrelfreight.atlassian.net/jira/servicedesk/projects/ITSD/queues/custom/1 All open - IT Service Desk - Service Management
https://trello.com/b/Xk29pQaL/saltmarsh-studio-productions Saltmarsh Studio Productions | Trello
https://trello.com/c/8nR2fGxT/114-colour-pass-emberwell-advert 114 Colour pass - Emberwell advert on Saltmarsh Studio Productions | Trello
https://trello.com/b/Lm4Vz0c1/editorial-calendar-november Editorial calendar – November | Trello
https://trello.com/c/Qp7dW2aZ/38-interview-transcript-harbour-master 38 Interview transcript – harbour master on Editorial calendar – November | Trello
https://app.asana.com/0/1204418822/list Website relaunch - List - Asana
https://app.asana.com/0/1204418822/1207755310 Write copy for the About page - Asana
https://app.asana.com/0/home/1201993 Home - Asana
https://app.asana.com/0/1205510091/timeline Spring campaign - Timeline - Asana
https://copperline.monday.com/boards/1623450989 Client onboarding - Copperline Media - monday.com
https://copperline.monday.com/boards/1623450989/pulses/1700213 Emberwell Foods – kickoff deck - monday.com
https://copperline.monday.com/boards/1712003344/views/5533 Content pipeline - Kanban - monday.com
https://app.clickup.com/9015443/v/li/901500887 Sprint 18 | List | ClickUp
https://app.clickup.com/t/86c0x2wq Fix broken links on pricing page | ClickUp
https://app.clickup.com/9015443/docs/8cnq-2204 Release notes template | ClickUp
https://linear.app/ferncloud/issue/ING-412/upload-queue-stalls-after-reconnect ING-412 Upload queue stalls after reconnect
https://linear.app/ferncloud/issue/ING-420/add-metrics-for-retry-budget ING-420 Add metrics for retry budget
https://linear.app/ferncloud/team/ING/active Active issues › Ingest
https://linear.app/ferncloud/project/q4-reliability-3f2a1b Q4 Reliability › Projects
https://linear.app/ferncloud/view/my-issues My issues
https://linear.app/ferncloud/cycle/ING/28 Cycle 28 › Ingest
https://www.notion.so/ferncloud/Engineering-handbook-7d1f2e3a4b5c Engineering handbook
https://www.notion.so/ferncloud/Interview-loop-backend-2a9c8d7e6f50 Interview loop: backend
https://www.notion.so/tallowreed/Client-brief-Emberwell-rebrand-91ab2c3d4e5f Client brief: Emberwell rebrand
https://www.notion.so/tallowreed/Content-calendar-Q4-4c5d6e7f8091 Content calendar Q4
https://www.notion.so/ferncloud/Weekly-sync-14-Oct-6e5d4c3b2a19 Weekly sync 14 Oct
https://www.notion.so/wrenfield/Year-9-science-scheme-of-work-5f6e7d8c9ba0 Year 9 science scheme of work
https://airtable.com/appR2x9Kq1/tblLm0Z3/viwB5Yt2 Shoot schedule: Grid view - Airtable
https://airtable.com/appT8n3Qw2/tblP4c7V/viwK2Dx9 Supplier list: Suppliers - Airtable
https://airtable.com/appF1g5Hs7/tblQ8w2E/viwM3Nz6 Grant applications 2025: Kanban - Airtable
https://miro.com/app/board/uXjVK3n7Qp0=/ Checkout journey map, Online Whiteboard for Visual Collaboration
https://miro.com/app/board/uXjVL8m2Rz4=/ Retro sprint 42, Online Whiteboard for Visual Collaboration
https://miro.com/app/board/uXjVM1p5Tx9=/ Service blueprint – clinic reception, Online Whiteboard for Visual Collaboration
https://app.todoist.com/app/project/client-work-2203311899 Client work – Todoist
https://app.todoist.com/app/today Today – Todoist
https://calendly.com/app/scheduled_events/user/me Scheduled events | Calendly
https://calendly.com/nina-marsh-brightmoor/30min 30 Minute Meeting | Nina Marsh | Calendly
https://calendar.google.com/calendar/u/0/r/week Google Calendar - Week of 14 October 2024
https://calendar.google.com/calendar/u/0/r/day/2024/10/17 Google Calendar - Thursday, 17 October 2024
https://calendar.google.com/calendar/u/0/r/eventedit/{r}{r} Google Calendar - Event details
https://outlook.office.com/calendar/view/workweek Calendar - Nina Marsh - Outlook
""")
    web("work", "work", """
https://brunnhofer.atlassian.net/browse/LAG-215 [LAG-215] Etiketten für Kühlware falsch gedruckt - Jira
https://brunnhofer.atlassian.net/wiki/spaces/IT/pages/884221/Urlaubsvertretung+Dezember Urlaubsvertretung Dezember - IT - Confluence
https://trello.com/b/Wz8vN2cR/redaktionsplan-2025 Redaktionsplan 2025 | Trello
https://app.asana.com/0/1206632210/board Messeauftritt Hannover - Board - Asana
https://www.notion.so/brunnhofer/Onboarding-neue-Mitarbeitende-3b2a1c0d9e8f Onboarding neue Mitarbeitende
""", lang="de")
    web("work", "work", """
https://atelierlunel.atlassian.net/browse/CAT-58 [CAT-58] Mettre à jour les visuels de la collection hiver - Jira
https://trello.com/b/Pq7cX1vB/planning-tournage-novembre Planning tournage novembre | Trello
https://www.notion.so/atelierlunel/Compte-rendu-reunion-client-7a6b5c4d3e2f Compte rendu réunion client
""", lang="fr")
    web("work", "work", """
https://app.asana.com/0/1207001288/list Lanzamiento catálogo primavera - Lista - Asana
https://trello.com/b/Hj5kL9mN/pedidos-proveedores Pedidos a proveedores | Trello
""", lang="es")
    web("work", "work", """
https://app.clickup.com/9015778/v/li/901500121 Piano editoriale dicembre | Elenco | ClickUp
https://www.notion.so/roveda/Verbale-riunione-di-reparto-0f1e2d3c4b5a Verbale riunione di reparto
""", lang="it")
    web("work", "work", """
https://trello.com/b/Rt6yU8iO/obras-em-curso-vasconcelos Obras em curso – Vasconcelos | Trello
https://linear.app/vasconcelos/issue/OBR-31/orcamento-da-cozinha-do-cliente-pinto OBR-31 Orçamento da cozinha do cliente Pinto
""", lang="pt")
    web("work", "work", """
https://vandalenbouw.monday.com/boards/1802234455 Planning bouwprojecten Q1 - monday.com
https://www.notion.so/vandalen/Werkafspraken-uitvoerders-8e7d6c5b4a39 Werkafspraken uitvoerders
""", lang="nl")
    web("work", "work", """
https://zielonymlyn.atlassian.net/browse/SKL-88 [SKL-88] Błędna stawka VAT na fakturach korygujących - Jira
""", lang="pl")
    web("work", "work", """
https://bjorkvik.atlassian.net/wiki/spaces/PROD/pages/552210/Leveransplan+Q1 Leveransplan Q1 - Produkt - Confluence
""", lang="sv")
    web("work", "work", """
https://minatoseiki.atlassian.net/browse/LM-133 [LM-133] 第2ラインの稼働率レポートを自動化 - Jira
""", lang="ja")
    web("work", "work", """
https://www.notion.so/choroksup/2025-1-59f8e7d6c5b4 2025년 1분기 마케팅 계획
""", lang="ko")


def documents_web():
    web("work", "work", """
https://docs.google.com/document/d/1Zq8mB3xN0pL5rT7vW9yA2cE4gI6kM8oQ/edit Q3 board report - draft - Google Docs
https://docs.google.com/document/d/1Hf2kJ4lN6pR8tV0xZ2bD4fH6jL8nP0rT/edit Emberwell rebrand creative brief - Google Docs
https://docs.google.com/document/d/1Rk3mO5qS7uW9yA1cE3gI5kM7oQ9sU1wY/edit Interview notes – harbour master - Google Docs
https://docs.google.com/document/d/1Vb4nP6rT8vX0zB2dF4hJ6lN8pR0tV2xZ/edit Untitled document - Google Docs
https://docs.google.com/document/d/1Xc5oQ7sU9wY1aC3eG5iK7mO9qS1uW3yA/edit Parent letter – Year 9 field trip - Google Docs
https://docs.google.com/document/d/1Td6pR8tV0xZ2bD4fH6jL8nP0rT2vX4zB/edit Design doc: retry budget for ingest - Google Docs
https://docs.google.com/spreadsheets/d/1Aa7qS9uW1yA3cE5gI7kM9oQ1sU3wY5aC/edit#gid=0 2025 budget v4 - Google Sheets
https://docs.google.com/spreadsheets/d/1Bb8rT0vX2zB4dF6hJ8lN0pR2tV4xZ6bD/edit#gid=1284339 Shoot schedule – Emberwell - Google Sheets
https://docs.google.com/spreadsheets/d/1Cc9sU1wY3aC5eG7iK9mO1qS3uW5yA7cE/edit Sales pipeline October - Google Sheets
https://docs.google.com/spreadsheets/d/1Dd0tV2xZ4bD6fH8jL0nP2rT4vX6zB8dF/edit Year 9 marks – autumn term - Google Sheets
https://docs.google.com/spreadsheets/d/1Ee1uW3yA5cE7gI9kM1oQ3sU5wY7aC9eG/edit On-call rota Q4 - Google Sheets
https://docs.google.com/presentation/d/1Ff2vX4zB6dF8hJ0lN2pR4tV6xZ8bD0fH/edit Sprint 42 review - Google Slides
https://docs.google.com/presentation/d/1Gg3wY5aC7eG9iK1mO3qS5uW7yA9cE1gI/edit Emberwell pitch deck - Google Slides
https://docs.google.com/forms/d/1Hh4xZ6bD8fH0jL2nP4rT6vX8zB0dF2hJ/edit Customer onboarding survey - Google Forms
https://drive.google.com/drive/folders/1Ii5yA7cE9gI1kM3oQ5sU7wY9aC1eG3iK Client assets – Emberwell - Google Drive
https://drive.google.com/drive/my-drive My Drive - Google Drive
https://drive.google.com/drive/shared-with-me Shared with me - Google Drive
https://drive.google.com/file/d/1Jj6zB8dF0hJ2lN4pR6tV8xZ0bD2fH4jL/view signed-contract-kestrel-2024.pdf - Google Drive
https://www.office.com/?auth=2 Home | Microsoft 365
https://northgate-my.sharepoint.com/:x:/r/personal/nmarsh_northgate_co_uk/Documents/Payroll%20reconciliation%20October.xlsx Payroll reconciliation October.xlsx
https://northgate-my.sharepoint.com/:w:/r/personal/dwhitfield_northgate_co_uk/Documents/Client%20engagement%20letter.docx Client engagement letter.docx
https://northgate.sharepoint.com/sites/Finance/Shared%20Documents/Forms/AllItems.aspx Finance - Documents - All Documents
https://northgate.sharepoint.com/sites/HR/SitePages/Holiday-policy.aspx Holiday policy
https://onedrive.live.com/?id=root&cid=4F2A1B0C9D8E7F6A My files - OneDrive
https://www.dropbox.com/home/Saltmarsh%20Studio/Deliverables Deliverables - Dropbox
https://www.dropbox.com/scl/fi/{r}{r}/emberwell_cut_v3.mp4 emberwell_cut_v3.mp4 - Dropbox
https://www.dropbox.com/request/{r}{r} File request: raw footage from the harbour shoot - Dropbox
https://www.overleaf.com/project/66f2a1b3c4d5e6f708192a3b Sparse retrieval survey - Online LaTeX Editor Overleaf
https://www.overleaf.com/project/66e9b8a7c6d5e4f3a2b1c0d9 Thesis chapter 3 – methods - Online LaTeX Editor Overleaf
https://www.overleaf.com/project Your Projects - Overleaf, Online LaTeX Editor
https://www.overleaf.com/learn/latex/Bibliography_management_with_biblatex Bibliography management with biblatex - Overleaf, Online LaTeX Editor
https://app.grammarly.com/ddocs/2241873309 Grant narrative final - Grammarly
https://www.deepl.com/translator#en/de/Delivery%20terms DeepL Translate: The world's most accurate translator
https://www.deepl.com/write DeepL Write: AI-powered writing companion
https://translate.google.com/?sl=en&tl=pl&text=invoice%20due&op=translate Google Translate
""")
    web("other", "neutral", """
https://translate.google.com/?sl=it&tl=en&text=quanto%20costa&op=translate Google Translate - quanto costa
https://docs.google.com/spreadsheets/d/1Kk7aC9eG1iK3mO5qS7uW9yA1cE3gI5kM/edit Wedding guest list - Google Sheets
https://docs.google.com/document/d/1Ll8bD0fH2jL4nP6rT8vX0zB2dF4hJ6lN/edit Road trip packing list - Google Docs
https://www.dropbox.com/home/Photos/Iceland%202024 Iceland 2024 - Dropbox
""")
    web("work", "work", """
https://docs.google.com/document/d/1Mm9cE1gI3kM5oQ7sU9wY1aC3eG5iK7mO/edit Protokoll Jour fixe 15.10. - Google Docs
https://docs.google.com/spreadsheets/d/1Nn0dF2hJ4lN6pR8tV0xZ2bD4fH6jL8nP/edit Kalkulation Messestand 2025 - Google Tabellen
https://brunnhofer.sharepoint.com/sites/Vertrieb/Freigegebene%20Dokumente/Preisliste_2025.xlsx Preisliste_2025.xlsx
https://www.deepl.com/de/translator#de/en/Lieferbedingungen DeepL Übersetzer: Der präziseste Übersetzer der Welt
""", lang="de")
    web("work", "work", """
https://docs.google.com/document/d/1Oo1eG3iK5mO7qS9uW1yA3cE5gI7kM9oQ/edit Devis rénovation boutique Lunel - Google Docs
https://docs.google.com/spreadsheets/d/1Pp2fH4jL6nP8rT0vX2zB4dF6hJ8lN0pR/edit Suivi des commandes 2024 - Google Sheets
""", lang="fr")
    web("work", "work", """
https://docs.google.com/document/d/1Qq3gI5kM7oQ9sU1wY3aC5eG7iK9mO1qS/edit Propuesta comercial Ferretería Solano - Documentos de Google
https://docs.google.com/spreadsheets/d/1Rr4hJ6lN8pR0tV2xZ4bD6fH8jL0nP2rT/edit Inventario almacén noviembre - Hojas de cálculo de Google
""", lang="es")
    web("work", "work", """
https://docs.google.com/document/d/1Ss5iK7mO9qS1uW3yA5cE7gI9kM1oQ3sU/edit Relazione trimestrale vendite - Documenti Google
https://docs.google.com/spreadsheets/d/1Tt6jL8nP0rT2vX4zB6dF8hJ0lN2pR4tV/edit Turni magazzino dicembre - Fogli Google
""", lang="it")
    web("work", "work", """
https://docs.google.com/spreadsheets/d/1Uu7kM9oQ1sU3wY5aC7eG9iK1mO3qS5uW/edit Orçamento obra Rua das Flores - Planilhas Google
https://docs.google.com/document/d/1Vv8lN0pR2tV4xZ6bD8fH0jL2nP4rT6vX/edit Relatório de visita técnica - Documentos Google
""", lang="pt")
    web("work", "work", """
https://docs.google.com/spreadsheets/d/1Ww9mO1qS3uW5yA7cE9gI1kM3oQ5sU7wY/edit Urenregistratie november - Google Spreadsheets
""", lang="nl")
    web("work", "work", """
https://docs.google.com/document/d/1Xx0nP2rT4vX6zB8dF0hJ2lN4pR6tV8xZ/edit Umowa ramowa z dostawcą – wersja 3 - Dokumenty Google
""", lang="pl")
    web("work", "work", """
https://docs.google.com/spreadsheets/d/1Yy1oQ3sU5wY7aC9eG1iK3mO5qS7uW9yA/edit Budget marknadsföring 2025 - Google Kalkylark
""", lang="sv")
    web("work", "work", """
https://docs.google.com/document/d/1Zz2pR4tV6xZ8bD0fH2jL4nP6rT8vX0zB/edit 週次定例 議事録 - Google ドキュメント
https://docs.google.com/spreadsheets/d/1Ab3qS5uW7yA9cE1gI3kM5oQ7sU9wY1aC/edit 2025年度 予算案 - Google スプレッドシート
""", lang="ja")
    web("work", "work", """
https://docs.google.com/document/d/1Bc4rT6vX8zB0dF2hJ4lN6pR8tV0xZ2bD/edit 产品需求文档 v2 - Google 文档
""", lang="zh")
    web("work", "work", """
https://docs.google.com/spreadsheets/d/1Cd5sU7wY9aC1eG3iK5mO7qS9uW1yA3cE/edit 거래처 목록 2024 - Google 스프레드시트
""", lang="ko")
    web("work", "work", """
https://docs.google.com/document/d/1De6tV8xZ0bD2fH4jL6nP8rT0vX2zB4dF/edit Коммерческое предложение для «Северного ветра» - Google Документы
""", lang="ru")
    web("work", "work", """
https://docs.google.com/spreadsheets/d/1Ef7uW9yA1cE3gI5kM7oQ9sU1wY3aC5eG/edit Aylık satış raporu Ekim - Google E-Tablolar
""", lang="tr")


# ---------------------------------------------------------------------------------------------
# Office programs, readers and notes on the desktop


def office_programs():
    app("work", "work", "LibreOffice Writer", """
Q3 board report draft.odt - LibreOffice Writer
Untitled 1 - LibreOffice Writer
Untitled 2 - LibreOffice Writer
Cover letter - operations analyst.odt - LibreOffice Writer
Tenancy agreement - 14 Mill Lane.docx - LibreOffice Writer
Grant proposal - coastal erosion study v7.odt - LibreOffice Writer
Meeting minutes 2024-10-15.odt - LibreOffice Writer
Emberwell brand guidelines.docx - LibreOffice Writer
Chapter 4 - The Harbour Years.odt - LibreOffice Writer
Statement of work - Kestrel Freight.docx - LibreOffice Writer
Patient information leaflet - root canal.odt - LibreOffice Writer
Year 8 worksheet - forces and motion.docx - LibreOffice Writer
Invoice 2024-117 Tallow & Reed.odt - LibreOffice Writer
Press release - Wrenfield open day.odt - LibreOffice Writer
Risk assessment - warehouse mezzanine.docx - LibreOffice Writer
""")
    app("work", "work", "LibreOffice Calc", """
2025 budget v4.ods - LibreOffice Calc
Untitled 1 - LibreOffice Calc
Timesheet October.xlsx - LibreOffice Calc
VAT return Q3 workings.ods - LibreOffice Calc
Stock count - warehouse B.ods - LibreOffice Calc
Sales by region 2024.xlsx - LibreOffice Calc
Survey results - raw export.csv - LibreOffice Calc
Loan amortisation model.ods - LibreOffice Calc
Class 9B marks - autumn.ods - LibreOffice Calc
Clinic appointments - week 42.xlsx - LibreOffice Calc
Freight rates Rotterdam-Hamburg.ods - LibreOffice Calc
Commission calculator Q4.xlsx - LibreOffice Calc
Bank reconciliation September.ods - LibreOffice Calc
Shot list - harbour documentary.ods - LibreOffice Calc
Lab measurements batch 17.csv - LibreOffice Calc
""")
    app("work", "work", "LibreOffice Impress", """
Sprint 42 review.odp - LibreOffice Impress
Emberwell pitch v3.pptx - LibreOffice Impress
Induction - new starters.odp - LibreOffice Impress
Thesis defence slides.odp - LibreOffice Impress
Untitled 1 - LibreOffice Impress
Quarterly sales kickoff.pptx - LibreOffice Impress
""")
    app("work", "work", "LibreOffice Draw", """
Warehouse floor plan.odg - LibreOffice Draw
Org chart 2025.odg - LibreOffice Draw
""")
    app("work", "work", "LibreOffice", """
LibreOffice
""")
    app("work", "work", "LibreOffice Start Center", """
Recent Documents - LibreOffice
""")
    app("work", "work", "Gnumeric", """
fuel-costs-2024.gnumeric : Gnumeric
experiment-timings.csv : Gnumeric
""")
    app("work", "work", "ONLYOFFICE Desktop Editors", """
Quarterly forecast.xlsx - ONLYOFFICE
Client proposal Emberwell.docx - ONLYOFFICE
Onboarding deck.pptx - ONLYOFFICE
""")
    app("work", "work", "WPS Office", """
Purchase order 4471.docx - WPS Office
""")
    app("work", "work", "AbiWord", """
letter-to-supplier.abw - AbiWord
""")
    app("work", "work", "TeXstudio", """
thesis.tex - TeXstudio
chapter3-methods.tex - TeXstudio
references.bib - TeXstudio
""")
    app("work", "work", "Texmaker", """
lecture-notes-week5.tex - Texmaker
""")
    app("work", "work", "Kile", """
paper-draft.tex - Kile
""")
    app("work", "work", "LyX", """
dissertation.lyx - LyX
""")
    app("work", "work", "Zotero", """
Zotero
Coastal erosion - My Library - Zotero
""")
    app("work", "work", "Evince", """
sparse-retrieval-survey-2023.pdf
Kestrel Freight - master services agreement.pdf
""")
    app("work", "work", "Document Viewer", """
invoice-TR-2024-117.pdf — Document Viewer
tax-guidance-vat-notice-700.pdf — Document Viewer
clinical-guideline-hypertension-2024.pdf — Document Viewer
""")
    app("work", "work", "Okular", """
datasheet-stm32g431.pdf — Okular
lease-14-mill-lane-signed.pdf — Okular
conference-proceedings-2024.pdf — Okular
""")
    app("work", "work", "Papers", """
thesis-draft-v12.pdf
""")
    app("work", "work", "Atril Document Viewer", """
safety-data-sheet-acetone.pdf
""")
    app("work", "work", "zathura", """
zathura: /home/elin/papers/bayesian-hierarchical-models.pdf
""")
    app("other", "entertainment", "Okular", """
boardgame-rules-lighthouse-keepers.pdf — Okular
""")
    app("other", "neutral", "Document Viewer", """
ikea-assembly-instructions-wardrobe.pdf — Document Viewer
boarding-pass-LIS-AMS.pdf — Document Viewer
""")
    app("work", "work", "Obsidian", """
Sprint 42 retro - work-vault - Obsidian v1.6.7
Client calls - work-vault - Obsidian v1.6.7
Literature notes - Dense retrieval - research - Obsidian v1.6.7
Daily note 2024-10-16 - work-vault - Obsidian v1.6.7
Lesson ideas - teaching - Obsidian v1.6.7
""")
    app("other", "neutral", "Obsidian", """
Garden plan 2025 - personal - Obsidian v1.6.7
Books to read - personal - Obsidian v1.6.7
""")
    app("work", "work", "Joplin", """
Joplin - Release checklist
Joplin - Supplier contacts
""")
    app("other", "neutral", "Joplin", """
Joplin - Recipes to try
""")
    app("work", "work", "Logseq", """
Oct 16th, 2024 - Logseq
project/ingest-retries - Logseq
""")
    app("work", "work", "Notion", """
Engineering handbook
Q4 OKRs
Interview loop: backend
""")
    app("work", "work", "Xournal++", """
lecture-07-annotations.xopp - Xournal++
contract-markup.xopp - Xournal++
""")
    app("work", "work", "Anki", """
Pharmacology - Browse (1820 cards shown; 1 selected)
""")
    app("other", "neutral", "Anki", """
Japanese vocabulary - Anki
""")
    # The same programs in other languages.
    app("work", "work", "LibreOffice Writer", """
Angebot 2024-311 Brunnhofer.odt - LibreOffice Writer
Protokoll Betriebsversammlung.docx - LibreOffice Writer
Unbenannt 1 - LibreOffice Writer
Mietvertrag Gewerbefläche Entwurf.odt - LibreOffice Writer
""", lang="de")
    app("work", "work", "LibreOffice Calc", """
Kassenbuch Oktober.ods - LibreOffice Calc
Stundenzettel KW42.xlsx - LibreOffice Calc
Lagerbestand Inventur 2024.ods - LibreOffice Calc
""", lang="de")
    app("work", "work", "LibreOffice Impress", """
Quartalszahlen Vertrieb.odp - LibreOffice Impress
""", lang="de")
    app("work", "work", "Dokumentenbetrachter", """
Rechnung_RE-2024-0815.pdf — Dokumentenbetrachter
""", lang="de")
    app("work", "work", "LibreOffice Writer", """
Devis rénovation boutique.odt - LibreOffice Writer
Sans nom 1 - LibreOffice Writer
Compte rendu conseil de classe.docx - LibreOffice Writer
""", lang="fr")
    app("work", "work", "LibreOffice Calc", """
Suivi trésorerie 2024.ods - LibreOffice Calc
Planning équipe décembre.xlsx - LibreOffice Calc
""", lang="fr")
    app("work", "work", "Visionneur de documents", """
contrat-de-prestation-lunel.pdf — Visionneur de documents
""", lang="fr")
    app("work", "work", "LibreOffice Writer", """
Presupuesto reforma local.odt - LibreOffice Writer
Sin título 1 - LibreOffice Writer
""", lang="es")
    app("work", "work", "LibreOffice Calc", """
Control de gastos noviembre.ods - LibreOffice Calc
Nóminas octubre.xlsx - LibreOffice Calc
""", lang="es")
    app("work", "work", "LibreOffice Writer", """
Contratto di fornitura 2025.odt - LibreOffice Writer
Senza nome 1 - LibreOffice Writer
""", lang="it")
    app("work", "work", "LibreOffice Calc", """
Prima nota ottobre.ods - LibreOffice Calc
""", lang="it")
    app("work", "work", "LibreOffice Writer", """
Proposta de orçamento obra.odt - LibreOffice Writer
Sem título 1 - LibreOffice Writer
""", lang="pt")
    app("work", "work", "LibreOffice Calc", """
Fluxo de caixa 2024.ods - LibreOffice Calc
""", lang="pt")
    app("work", "work", "LibreOffice Writer", """
Offerte dakrenovatie Jansen.odt - LibreOffice Writer
Naamloos 1 - LibreOffice Writer
""", lang="nl")
    app("work", "work", "LibreOffice Calc", """
Urenstaat week 46.ods - LibreOffice Calc
""", lang="nl")
    app("work", "work", "LibreOffice Writer", """
Oferta handlowa Zielony Młyn.odt - LibreOffice Writer
Bez nazwy 1 - LibreOffice Writer
""", lang="pl")
    app("work", "work", "LibreOffice Calc", """
Zestawienie faktur październik.ods - LibreOffice Calc
""", lang="pl")
    app("work", "work", "LibreOffice Writer", """
Offert webbprojekt Björkvik.odt - LibreOffice Writer
Namnlös 1 - LibreOffice Writer
""", lang="sv")
    app("work", "work", "LibreOffice Calc", """
見積書_みなと精機_2024-11.ods - LibreOffice Calc
""", lang="ja")
    app("work", "work", "LibreOffice Writer", """
議事録_2024年10月定例.odt - LibreOffice Writer
無題 1 - LibreOffice Writer
""", lang="ja")
    app("work", "work", "LibreOffice Calc", """
2024年第四季度销售统计.xlsx - LibreOffice Calc
""", lang="zh")
    app("work", "work", "LibreOffice Writer", """
项目周报_第42周.docx - LibreOffice Writer
""", lang="zh")
    app("work", "work", "LibreOffice Writer", """
사업계획서_초안.odt - LibreOffice Writer
""", lang="ko")
    app("work", "work", "LibreOffice Calc", """
Отчёт по продажам за октябрь.ods - LibreOffice Calc
""", lang="ru")
    app("work", "work", "LibreOffice Writer", """
Договор поставки №47.odt - LibreOffice Writer
""", lang="ru")
    app("work", "work", "LibreOffice Calc", """
Fatura takip listesi 2024.ods - LibreOffice Calc
""", lang="tr")
    app("work", "work", "LibreOffice Writer", """
Teklif mektubu - Kuzey Yazılım.odt - LibreOffice Writer
""", lang="tr")
    app("work", "work", "Okular", """
Jahresabschluss_2023_Entwurf.pdf — Okular
""", lang="de")
    app("work", "work", "Obsidian", """
Besprechungsnotizen Kunde Müller - Arbeit - Obsidian v1.6.7
""", lang="de")


# ---------------------------------------------------------------------------------------------
# Research, reading and learning


def research_and_learning():
    web("work", "work", """
https://arxiv.org/abs/2310.07118 [2310.07118] Sparse and Dense Retrieval for Long Documents: A Survey
https://arxiv.org/pdf/2402.11873 2402.11873.pdf
https://arxiv.org/abs/2405.03321 [2405.03321] Calibrating Small Text Classifiers on Device
https://arxiv.org/list/cs.CL/recent Computation and Language authors/titles recent submissions
https://arxiv.org/abs/2311.09904 [2311.09904] Coastal Sediment Transport under Compound Flooding
https://arxiv.org/a/raman_p_1 Priya Raman's articles on arXiv
https://scholar.google.com/scholar?q=dune+erosion+storm+surge+model dune erosion storm surge model - Google Scholar
https://scholar.google.com/scholar?cites=1183344290&hl=en Google Scholar
https://scholar.google.com/citations?user=Xk3pQ2wAAAAJ&hl=en Priya Raman - Google Scholar
https://scholar.google.com/scholar?q=%22working+memory%22+adolescents+meta-analysis "working memory" adolescents meta-analysis - Google Scholar
https://www.researchgate.net/publication/371204455_Groundwater_recharge_in_semi-arid_catchments (PDF) Groundwater recharge in semi-arid catchments
https://www.researchgate.net/profile/Elin-Holm-3 Elin Holm | Researcher | ResearchGate
https://pubmed.ncbi.nlm.nih.gov/?term=periodontitis+diabetes+cohort periodontitis diabetes cohort - Search Results - PubMed
https://pubmed.ncbi.nlm.nih.gov/37811204/ Antibiotic prophylaxis before dental implant placement: a systematic review - PubMed
https://www.ncbi.nlm.nih.gov/pmc/articles/PMC10422871/ Sleep duration and blood pressure in older adults - PMC
https://www.ncbi.nlm.nih.gov/books/NBK557813/ Hypertension - StatPearls - NCBI Bookshelf
https://link.springer.com/article/10.1007/s10546-023-00812-4 Turbulent fluxes over a rough coastal boundary | Boundary-Layer Meteorology
https://link.springer.com/book/10.1007/978-3-031-22114-7 Statistical Methods for Field Ecology | SpringerLink
https://ieeexplore.ieee.org/document/10284410 Low-Power Sensor Fusion on Microcontrollers | IEEE Journals & Magazine | IEEE Xplore
https://ieeexplore.ieee.org/search/searchresult.jsp?queryText=battery%20state%20of%20health IEEE Xplore Search Results
https://dl.acm.org/doi/10.1145/3597503.3639187 Flaky Tests in Continuous Integration: An Empirical Study | Proceedings of the IEEE/ACM 46th International Conference on Software Engineering
https://dl.acm.org/doi/10.1145/3613904.3642117 Interruptions and Recovery in Knowledge Work | Proceedings of the CHI Conference on Human Factors in Computing Systems
https://www.nature.com/articles/s41558-024-01987-3 Accelerating sea-level rise along low-lying coasts | Nature Climate Change
https://www.nature.com/nature/articles?type=article Articles | Nature
https://www.zotero.org/groups/5123344/coastal-lab/library Coastal Lab / Library | Zotero Groups
https://www.zotero.org/support/kb/merging_duplicates Merging duplicates [Zotero Documentation]
https://www.wolframalpha.com/input?i=integrate+x%5E2+e%5E-x integrate x^2 e^-x - Wolfram|Alpha
https://www.wolframalpha.com/input?i=eigenvalues+%7B%7B2%2C1%7D%2C%7B1%2C3%7D%7D eigenvalues {{2,1},{1,3}} - Wolfram|Alpha
https://www.wolframalpha.com/input?i=compound+interest+5000+at+4.2%25+for+7+years compound interest 5000 at 4.2% for 7 years - Wolfram|Alpha
https://www.coursera.org/learn/machine-learning/lecture/rkc9z/regularized-logistic-regression Regularized logistic regression | Coursera
https://www.coursera.org/learn/project-management-foundations/home/week/2 Week 2 | Foundations of Project Management | Coursera
https://www.udemy.com/course/complete-sql-bootcamp/learn/lecture/9812345 The Complete SQL Bootcamp | Udemy
https://www.udemy.com/course/bookkeeping-basics/learn/lecture/12033418 Bookkeeping Basics: Understand the Balance Sheet | Udemy
https://learning.edx.org/course/course-v1:HarvardX+PH125.8x+2T2024/block-v1:HarvardX+PH125.8x+2T2024+type@sequential+block@ml-intro Machine Learning | Data Science: Machine Learning | edX
https://www.edx.org/learn/data-analysis edX | Data Analysis Courses
https://www.khanacademy.org/math/statistics-probability/significance-tests-one-sample Significance tests (hypothesis testing) | Khan Academy
https://www.khanacademy.org/science/biology/photosynthesis-in-plants Photosynthesis | Biology library | Science | Khan Academy
https://app.pluralsight.com/library/courses/kubernetes-installation-configuration-fundamentals Kubernetes Installation and Configuration Fundamentals | Pluralsight
https://www.codecademy.com/learn/learn-sql Learn SQL | Codecademy
https://learning.oreilly.com/library/view/designing-data-intensive-applications/9781491903063/ch05.html 5. Replication | Designing Data-Intensive Applications
https://www.oreilly.com/search/?q=terraform&type=book Search | O'Reilly Media
https://ocw.mit.edu/courses/18-06-linear-algebra-spring-2010/pages/lecture-notes/ Lecture Notes | Linear Algebra | Mathematics | MIT OpenCourseWare
https://ocw.mit.edu/courses/6-006-introduction-to-algorithms-spring-2020/resources/lecture-4-hashing/ Lecture 4: Hashing | Introduction to Algorithms | Electrical Engineering and Computer Science | MIT OpenCourseWare
https://quizlet.com/gb/901223345/year-9-chemistry-bonding-flash-cards/ Year 9 chemistry – bonding Flashcards | Quizlet
https://quizlet.com/teacher/classes/2201334 9B Science | Quizlet
https://en.wikipedia.org/wiki/Kalman_filter Kalman filter - Wikipedia
https://en.wikipedia.org/wiki/Logistic_regression Logistic regression - Wikipedia
https://en.wikipedia.org/wiki/Incoterms Incoterms - Wikipedia
https://en.wikipedia.org/wiki/Net_present_value Net present value - Wikipedia
https://en.wikipedia.org/wiki/Longshore_drift Longshore drift - Wikipedia
https://en.wikipedia.org/wiki/ISO_8601 ISO 8601 - Wikipedia
https://en.wiktionary.org/wiki/fiduciary fiduciary - Wiktionary, the free dictionary
https://en.wiktionary.org/wiki/Bescheid Bescheid - Wiktionary, the free dictionary
https://archive.org/details/coastalsurveyrep1962 Coastal survey report, 1962 : Free Download, Borrow, and Streaming : Internet Archive
https://web.archive.org/web/2019*/brightmoor.io/pricing Wayback Machine
https://www.bbc.co.uk/bitesize/guides/zcdccdm/revision/1 Forces and motion - KS3 Physics Revision - BBC Bitesize
https://www.bbc.co.uk/bitesize/subjects/z4882hv KS3 Chemistry - BBC Bitesize
https://classroom.google.com/c/NjQ4MjExMzQ0/a/NjkxMjIzNDU1/details Photosynthesis write-up - 9B Science - Google Classroom
https://classroom.google.com/u/0/c/NjQ4MjExMzQ0 9B Science - Google Classroom
https://learn.wrenfield.ac.uk/course/view.php?id=412 Course: Year 9 Science | Wrenfield Learn
https://learn.wrenfield.ac.uk/mod/assign/view.php?id=22871&action=grading Forces homework: Grading | Wrenfield Learn
https://learn.wrenfield.ac.uk/mod/quiz/report.php?id=22903&mode=overview Chemistry quiz 3: Results | Wrenfield Learn
https://www.linkedin.com/learning/excel-pivottables-in-depth/create-a-pivottable Create a PivotTable - Excel: PivotTables in Depth Video Tutorial | LinkedIn Learning
""")
    web("other", "neutral", """
https://en.wikipedia.org/wiki/Special:Random Wikipedia, the free encyclopedia
https://en.wikipedia.org/wiki/Great_Molasses_Flood Great Molasses Flood - Wikipedia
https://en.wikipedia.org/wiki/List_of_islands_of_Scotland List of islands of Scotland - Wikipedia
https://en.wikipedia.org/wiki/Byzantine_Empire Byzantine Empire - Wikipedia
https://www.coursera.org/learn/introduction-to-photography Introduction to Photography | Coursera
https://www.udemy.com/course/guitar-for-beginners-chords/ Guitar for Beginners: Chords and Strumming | Udemy
https://brilliant.org/courses/logic-deduction/ Logic | Brilliant
https://archive.org/details/oldtimeradio_mystery Old Time Radio Mystery Collection : Free Download, Borrow, and Streaming : Internet Archive
""")
    web("other", "entertainment", """
https://www.goodreads.com/review/list/141155-nina?shelf=to-read Nina's to-read books on Goodreads (212 books)
https://en.wikipedia.org/wiki/List_of_Doctor_Who_episodes_(2005–present) List of Doctor Who episodes (2005–present) - Wikipedia
https://en.wikipedia.org/wiki/2024_Formula_One_World_Championship 2024 Formula One World Championship - Wikipedia
https://www.duolingo.com/learn Duolingo - The world's best way to learn a language
https://www.duolingo.com/lesson Duolingo
https://www.duolingo.com/leaderboard Leaderboards - Duolingo
""")
    web("work", "work", """
https://brilliant.org/courses/probability/ Probability | Brilliant
""")
    web("work", "work", """
https://de.wikipedia.org/wiki/Umsatzsteuer_(Deutschland) Umsatzsteuer (Deutschland) – Wikipedia
https://de.wikipedia.org/wiki/Gesellschaft_mit_beschränkter_Haftung Gesellschaft mit beschränkter Haftung – Wikipedia
https://scholar.google.de/scholar?q=Grundwasserneubildung+Modell Grundwasserneubildung Modell - Google Scholar
https://www.coursera.org/learn/projektmanagement-grundlagen Grundlagen des Projektmanagements | Coursera
""", lang="de")
    web("other", "entertainment", """
https://de.wikipedia.org/wiki/Tatort_(Fernsehreihe) Tatort (Fernsehreihe) – Wikipedia
""", lang="de")
    web("work", "work", """
https://fr.wikipedia.org/wiki/Taxe_sur_la_valeur_ajoutée_en_France Taxe sur la valeur ajoutée en France — Wikipédia
https://fr.khanacademy.org/math/algebra/x2f8bb11595b61c86:solve-equations-inequalities Résoudre des équations et des inéquations | Algèbre | Khan Academy
""", lang="fr")
    web("other", "neutral", """
https://fr.wikipedia.org/wiki/Château_de_Chambord Château de Chambord — Wikipédia
""", lang="fr")
    web("work", "work", """
https://es.wikipedia.org/wiki/Impuesto_sobre_el_valor_añadido_(España) Impuesto sobre el valor añadido (España) - Wikipedia, la enciclopedia libre
""", lang="es")
    web("other", "entertainment", """
https://es.wikipedia.org/wiki/La_casa_de_papel La casa de papel - Wikipedia, la enciclopedia libre
""", lang="es")
    web("work", "work", """
https://it.wikipedia.org/wiki/Fattura_elettronica Fattura elettronica - Wikipedia
""", lang="it")
    web("work", "work", """
https://pt.wikipedia.org/wiki/Nota_fiscal_eletrônica Nota fiscal eletrônica – Wikipédia, a enciclopédia livre
""", lang="pt")
    web("work", "work", """
https://nl.wikipedia.org/wiki/Omzetbelasting Omzetbelasting - Wikipedia
""", lang="nl")
    web("work", "work", """
https://pl.wikipedia.org/wiki/Jednolity_Plik_Kontrolny Jednolity Plik Kontrolny – Wikipedia, wolna encyklopedia
""", lang="pl")
    web("other", "neutral", """
https://sv.wikipedia.org/wiki/Gotland Gotland – Wikipedia
""", lang="sv")
    web("work", "work", """
https://ja.wikipedia.org/wiki/ロジスティック回帰 ロジスティック回帰 - Wikipedia
https://scholar.google.com/scholar?hl=ja&q=製造業+予知保全 製造業 予知保全 - Google Scholar
""", lang="ja")
    web("other", "entertainment", """
https://ja.wikipedia.org/wiki/ONE_PIECE_(アニメ) ONE PIECE (アニメ) - Wikipedia
""", lang="ja")
    web("work", "work", """
https://zh.wikipedia.org/wiki/卡尔曼滤波 卡尔曼滤波 - 维基百科，自由的百科全书
""", lang="zh")
    web("work", "work", """
https://ko.wikipedia.org/wiki/부가가치세 부가가치세 - 위키백과, 우리 모두의 백과사전
""", lang="ko")
    web("work", "work", """
https://ru.wikipedia.org/wiki/Налог_на_добавленную_стоимость Налог на добавленную стоимость — Википедия
""", lang="ru")
    web("other", "neutral", """
https://ru.wikipedia.org/wiki/Байкал Байкал — Википедия
""", lang="ru")
    web("work", "work", """
https://tr.wikipedia.org/wiki/Katma_değer_vergisi Katma değer vergisi - Vikipedi
""", lang="tr")


# ---------------------------------------------------------------------------------------------
# Design, illustration, maps, video and audio


def design_and_media():
    web("work", "work", """
https://www.figma.com/design/Xq2Lm8Np4Rt6Vw0Yz2Ab/Checkout-redesign?node-id=1204-3381 Checkout redesign – Figma
https://www.figma.com/design/Bc3Dn9Oq5Su7Wx1Za3Cd/Design-system-v3?node-id=0-1 Design system v3 – Figma
https://www.figma.com/design/De4Fo0Pr6Tv8Xy2Ab4Ef/Emberwell-packaging?node-id=88-210 Emberwell packaging – Figma
https://www.figma.com/board/Fg5Hp1Qs7Uw9Yz3Bc5Gh/Workshop-clinic-reception Workshop – clinic reception – FigJam
https://www.figma.com/proto/Gh6Iq2Rt8Vx0Za4Cd6Ij/Mobile-onboarding?node-id=3-44 Mobile onboarding – Figma
https://www.figma.com/files/team/1290344/recents-and-sharing Recents – Figma
https://www.canva.com/design/DAGb7kQ2xYz/edit Emberwell autumn menu – A4 flyer
https://www.canva.com/design/DAGc1mR4pLw/edit Wrenfield open day – Instagram post
https://www.canva.com/design/DAGd9nT6qMv/edit Q3 results – presentation
https://app.diagrams.net/#G1aB2cD3eF4gH5iJ6kL7mN8oP9 ingest-architecture.drawio - diagrams.net
https://app.diagrams.net/#Hbrightmoor%2Finfra%2Fmain%2Fdocs%2Fnetwork.drawio network.drawio - diagrams.net
https://www.drawio.com/doc/faq/shortcuts Keyboard shortcuts - draw.io
https://www.draw.io/ Flowchart Maker & Online Diagram Software
https://business.facebook.com/latest/home?asset_id=1022334455 Meta Business Suite
https://business.facebook.com/adsmanager/manage/campaigns?act=22311890 Ads Manager - Manage ads - Campaigns
https://www.facebook.com/business/help/1710077379203657 About ad auctions | Meta Business Help Centre
https://www.facebook.com/business/ads Facebook Ads | Meta for Business
https://wordpress.org/documentation/article/block-editor-keyboard-shortcuts/ Keyboard Shortcuts – Documentation – WordPress.org
https://developer.wordpress.org/block-editor/reference-guides/block-api/block-metadata/ Metadata in block.json – Block Editor Handbook | Developer.WordPress.org
https://copperlinemedia.wordpress.com/wp-admin/post.php?post=1184&action=edit Edit Post “Five lessons from our harbour documentary” ‹ Copperline Media — WordPress
https://wordpress.com/stats/day/tallowreed.blog Stats ‹ Tallow & Reed — WordPress.com
https://vimeo.com/manage/videos Videos on Vimeo
https://vimeo.com/912233445/review/{h}{h} Emberwell advert – cut 3 (review) on Vimeo
""")
    web("other", "entertainment", """
https://www.canva.com/design/DAGe2pU8rNx/edit Mum's 60th birthday invitation
https://www.figma.com/community/file/1182233445566778899 Retro arcade UI kit | Figma Community
https://vimeo.com/watch Watch | Vimeo
https://vimeo.com/876543210 Northern lights over Lofoten – time-lapse on Vimeo
""")
    app("work", "work", "GIMP", """
[emberwell_hero] (imported)-1.0 (RGB color 8-bit gamma integer, GIMP built-in sRGB, 1 layer) 3840x2160 – GIMP
*[banner-wrenfield-openday] (imported)-2.0 (RGB color 8-bit gamma integer, GIMP built-in sRGB, 4 layers) 1584x396 – GIMP
[product-shot-kettle-retouch] (overwritten)-3.0 (RGB color 16-bit linear integer, GIMP built-in Linear RGB, 6 layers) 6000x4000 – GIMP
GNU Image Manipulation Program
""")
    app("work", "work", "GNU Image Manipulation Program", """
*[scan-site-plan] (imported)-4.0 (Grayscale 8-bit gamma integer, 1 layer) 4960x7016 – GIMP
""")
    app("work", "work", "Inkscape", """
emberwell-logo-v5.svg - Inkscape
*wrenfield-signage-floor2.svg - Inkscape
infographic-sea-level.svg - Inkscape
business-card-tallow-reed.svg - Inkscape
New document 1 - Inkscape
""")
    app("work", "work", "Scribus", """
Scribus 1.6.2 - [Wrenfield newsletter autumn.sla]
Scribus 1.6.2 - [Emberwell menu trifold.sla]
""")
    app("work", "work", "Krita", """
client-bookcover-lighthouse.kra  [modified] - Krita
storyboard-emberwell-ad-p3.kra - Krita
""")
    app("other", "entertainment", "Krita", """
dragon-sketch-sunday.kra - Krita
fanart-lantern-girl.kra  [modified] - Krita
""")
    app("work", "work", "Blender", """
kettle_packshot_v3.blend - Blender 4.2
harbour_flythrough_client.blend - Blender 4.2
""")
    app("other", "entertainment", "Blender", """
donut_tutorial.blend - Blender 4.2
low_poly_spaceship_hobby.blend - Blender 4.2
""")
    app("work", "work", "FreeCAD", """
FreeCAD 0.21.2 - bracket_mount_v4 : 1
FreeCAD 0.21.2 - enclosure_lid : 1
""")
    app("work", "work", "KiCad", """
greenhouse-sensor — KiCad 8.0
""")
    app("work", "work", "KiCad Schematic Editor (standalone)", """
greenhouse-sensor [greenhouse-sensor/Power] — Schematic Editor
""")
    app("work", "work", "KiCad PCB Editor (standalone)", """
greenhouse-sensor — PCB Editor
""")
    app("work", "work", "QGIS Desktop", """
*coastal-erosion-2024 — QGIS
depot-catchments — QGIS
""")
    app("work", "work", "QGIS", """
flood-risk-wards — QGIS
""")
    app("work", "work", "darktable", """
darktable - emberwell_shoot_0412.NEF
""")
    app("other", "entertainment", "darktable", """
darktable - lofoten_holiday_2211.ORF
""")
    app("work", "work", "Kdenlive", """
emberwell_advert_30s.kdenlive [modified] / Kdenlive
harbour_documentary_rough_cut.kdenlive / Kdenlive
wrenfield_openday_promo.kdenlive / Kdenlive
""")
    app("other", "entertainment", "Kdenlive", """
holiday_montage_iceland.kdenlive / Kdenlive
""")
    app("work", "work", "Shotcut", """
product_demo_v2.mlt - Shotcut
""")
    app("work", "work", "Pitivi", """
lecture-recording-week5 - Pitivi
""")
    app("work", "work", "OpenShot Video Editor", """
training_video_forklift.osp - OpenShot Video Editor
""")
    app("work", "work", "DaVinci Resolve", """
DaVinci Resolve - Emberwell Advert
DaVinci Resolve - Harbour Documentary Grade
""")
    app("work", "work", "OBS Studio", """
OBS 30.2.3 - Profile: Tutorials - Scenes: Screen demo
OBS 30.2.3 - Profile: Webinar - Scenes: Webinar Q4
""")
    app("other", "entertainment", "OBS Studio", """
OBS 30.2.3 - Profile: Streaming - Scenes: Gaming
""")
    app("work", "work", "Audacity", """
podcast-episode-31-raw
interview-harbour-master
voiceover-emberwell-take4
""")
    app("work", "work", "Ardour7", """
Ardour - Emberwell jingle
""")
    app("work", "work", "MuseScore", """
Year 8 choir - Autumn concert - MuseScore 4
""")
    app("other", "entertainment", "MuseScore 3", """
Moonlight Sonata arrangement - MuseScore 3
""")
    app("work", "work", "Inkscape", """
Logo_Bäckerei_Hofmann_v2.svg - Inkscape
""", lang="de")
    app("work", "work", "GIMP", """
[affiche-salon-printemps] (importée)-1.0 (Couleur RVB 8 bits gamma entier, sRGB intégré de GIMP, 3 calques) 2480x3508 – GIMP
""", lang="fr")
    app("work", "work", "Kdenlive", """
reportaje_mercado_central.kdenlive / Kdenlive
""", lang="es")
    app("work", "work", "QGIS Desktop", """
mappa_rischio_idrogeologico — QGIS
""", lang="it")
    app("work", "work", "Blender", """
製品レンダリング_最終.blend - Blender 4.2
""", lang="ja")
    web("work", "work", """
https://www.figma.com/design/Hi7Jr3Su9Wy1Ab5De7Jk/Neue-Website-Startseite Neue Website – Startseite – Figma
https://www.canva.com/design/DAGf3qV0sOy/edit Stellenanzeige Lagerist – Instagram-Beitrag
""", lang="de")
    web("work", "work", """
https://www.canva.com/design/DAGg4rW2tPz/edit Affiche soldes d'hiver – A3
""", lang="fr")
    web("work", "work", """
https://www.figma.com/design/Ij8Ks4Tv0Xz2Bc6Ef8Kl/App-de-reservas App de reservas – Figma
""", lang="es")


# ---------------------------------------------------------------------------------------------
# Sales, support, finance, law, medicine and other office trades


def business():
    web("work", "work", """
https://brightmoor.lightning.force.com/lightning/r/Opportunity/0068d00000Bx2QAAR/view Kestrel Freight – renewal 2025 | Opportunity | Salesforce
https://brightmoor.lightning.force.com/lightning/o/Lead/list?filterName=MyUnreadLeads My Unread Leads | Leads | Salesforce
https://brightmoor.lightning.force.com/lightning/r/Account/0018d00000Qx4TAAR/view Emberwell Foods | Account | Salesforce
https://brightmoor.lightning.force.com/lightning/r/Case/5008d00000Hy7PAAR/view 00041872 | Case | Salesforce
https://brightmoor.lightning.force.com/lightning/page/home Home | Salesforce
https://brightmoor.my.salesforce.com/reports/00O8d000005Ynq2 Pipeline by stage – Q4 | Salesforce
https://trailhead.salesforce.com/content/learn/modules/lex_implementation_reports_dashboards Reports & Dashboards for Lightning Experience | Salesforce Trailhead
https://app.hubspot.com/contacts/22113344/objects/0-1/views/all/list Contacts | HubSpot
https://app.hubspot.com/contacts/22113344/record/0-3/18822014 Deal: Copperline – annual retainer | HubSpot
https://app.hubspot.com/email/22113344/edit/18822991/content November newsletter | Marketing Email | HubSpot
https://app.hubspot.com/reports-dashboard/22113344/view/9021234 Marketing dashboard | HubSpot
https://app.hubspot.com/sequences/22113344 Sequences | HubSpot
https://brightmoor.zendesk.com/agent/tickets/48213 Refund not received after 10 days – Ticket #48213 – Brightmoor Support
https://brightmoor.zendesk.com/agent/tickets/48227 Can't log in after password reset – Ticket #48227 – Brightmoor Support
https://brightmoor.zendesk.com/agent/filters/360001822 Your unsolved tickets – Brightmoor Support
https://brightmoor.zendesk.com/agent/tickets/48240 Wrong item delivered (order BM-772134) – Ticket #48240 – Brightmoor Support
https://brightmoor.zendesk.com/agent/dashboard Dashboard – Brightmoor Support
https://brightmoor.zendesk.com/knowledge/articles/4412203/en-us Edit article: How refunds work – Guide
https://support.zendesk.com/hc/en-us/articles/4408882246298 About triggers and how they work – Zendesk help
https://wd3.myworkday.com/northgate/d/home.htmld Home - Workday
https://wd3.myworkday.com/northgate/d/task/2997$5131.htmld Request Time Off - Workday
https://wd3.myworkday.com/northgate/d/inst/15$192/247$3001.htmld Performance Review: Dana Whitfield - Workday
https://dashboard.stripe.com/payments Payments – Brightmoor – Stripe
https://dashboard.stripe.com/disputes/dp_1QAbCdEfGh Dispute – Brightmoor – Stripe
https://dashboard.stripe.com/test/webhooks Webhooks – Brightmoor – Stripe [Test mode]
https://docs.stripe.com/payments/payment-intents The Payment Intents API | Stripe Documentation
https://admin.shopify.com/store/tallow-reed/orders Orders · Tallow & Reed · Shopify
https://admin.shopify.com/store/tallow-reed/products/8812234455 Linen apron – natural · Products · Tallow & Reed · Shopify
https://admin.shopify.com/store/tallow-reed/analytics Analytics · Tallow & Reed · Shopify
https://help.shopify.com/en/manual/shipping/setting-up-and-managing-your-shipping Setting up shipping · Shopify Help Center
https://www.linkedin.com/sales/lead/ACwAAB2xQ9,NAME_SEARCH Nadia Okafor | Sales Navigator
https://www.linkedin.com/sales/search/people?savedSearchId=1902233 Lead search | Sales Navigator
https://www.linkedin.com/talent/hire/22113344/discover/recruiterSearch Recruiter search – Data engineer | LinkedIn Talent
https://www.linkedin.com/messaging/thread/2-MzEzNDU2/ (2) Messaging | LinkedIn
https://www.linkedin.com/company/brightmoor/admin/page-posts/published/ Brightmoor: Admin | LinkedIn
https://www.xero.com/app/invoices Invoices | Northgate Accounting | Xero
https://go.xero.com/Bank/BankRec.aspx?accountID=3a1b2c Bank reconciliation | Xero
https://app.quickbooks.intuit.com/app/reportv2?token=PROFIT_AND_LOSS Profit and Loss | QuickBooks
https://www.gov.uk/government/publications/vat-notice-700-the-vat-guide VAT Notice 700: the VAT guide - GOV.UK
https://www.gov.uk/guidance/making-tax-digital-for-vat Making Tax Digital for VAT - GOV.UK
https://find-and-update.company-information.service.gov.uk/company/09123456 EMBERWELL FOODS LTD overview - Find and update company information - GOV.UK
https://portal.kestrelfreight.com/tracking/shipment/KF-2024-88123 Shipment KF-2024-88123 – Kestrel Freight Portal
https://portal.kestrelfreight.com/dispatch/board Dispatch board – Kestrel Freight Portal
https://www.marinetraffic.com/en/ais/home/centerx:4.1/centery:51.9/zoom:10 MarineTraffic: Global Ship Tracking Intelligence | AIS Marine Traffic
https://intranet.northgate.co.uk/policies/expenses Expenses policy – Northgate intranet
https://travel.northgate.co.uk/trips/2241 Trip to Lyon – client workshop – Northgate Travel
https://www.amazon.com/business/register Amazon Business: Register
https://www.amazon.co.uk/Brother-TN-2420-Toner-Cartridge-Black/dp/B06XWDL9CT Brother TN-2420 Toner Cartridge, Black : Amazon.co.uk: Office Products
https://www.amazon.com/Amazon-Basics-Multipurpose-Printer-Paper/dp/B01FV0F8H8 Amazon.com: Amazon Basics Multipurpose Copy Printer Paper, 8.5 x 11 Inch, 10 Ream Case : Office Products
https://www.viking-direct.co.uk/en/office-supplies/c/1001 Office Supplies | Viking
""")
    web("work", "work", """
https://larkspurvane.imanage.work/work/link/d/ACTIVE!4412233.3 Share purchase agreement – Emberwell – v3 - iManage Work
https://larkspurvane.imanage.work/work/web/r/matters/LV-2024-0412 Matter LV-2024-0412 Kestrel Freight v. Harbour Cranes Ltd - iManage Work
https://www.legislation.gov.uk/ukpga/2006/46/section/172 Companies Act 2006, Section 172
https://www.legislation.gov.uk/uksi/2018/1030/contents The Data Protection (Charges and Information) (Amendment) Regulations 2018
https://eur-lex.europa.eu/legal-content/EN/TXT/?uri=CELEX:32016R0679 Regulation (EU) 2016/679 (General Data Protection Regulation) - EUR-Lex
https://www.bailii.org/cgi-bin/lucy_search_1.cgi?query=limitation+of+liability+carriage BAILII - Search results
https://www.law.cornell.edu/ucc/2/2-207 U.C.C. - Article 2 - Sales (2002) | § 2-207. Additional Terms in Acceptance or Confirmation | Uniform Commercial Code | US Law | LII / Legal Information Institute
https://www.courtlistener.com/?q=%22limitation+of+liability%22+freight Search — CourtListener.com
https://www.judiciary.uk/court-service/civil-procedure-rules/ Civil Procedure Rules - Courts and Tribunals Judiciary
https://e-justice.europa.eu/content_small_claims-42-en.do European e-Justice Portal - Small claims
""")
    web("work", "work", """
https://ehr.halcyondental.co.uk/patients/000482/chart Chart – Patient 000482 – Halcyon Dental Records
https://ehr.halcyondental.co.uk/appointments/day?date=2024-10-17 Day list – Thursday 17 October – Halcyon Dental Records
https://ehr.halcyondental.co.uk/recalls/overdue Overdue recalls – Halcyon Dental Records
https://ehr.halcyondental.co.uk/claims/batch/1182 NHS claims batch 1182 – Halcyon Dental Records
https://bnf.nice.org.uk/drugs/amoxicillin/ Amoxicillin | Drugs | BNF | NICE
https://www.nice.org.uk/guidance/ng136 Overview | Hypertension in adults: diagnosis and management | Guidance | NICE
https://medlineplus.gov/druginfo/meds/a682159.html Metformin: MedlinePlus Drug Information
https://www.uptodate.com/contents/management-of-acute-otitis-media-in-children Management of acute otitis media in children - UpToDate
https://cks.nice.org.uk/topics/sore-throat-acute/ Sore throat - acute | Health topics A to Z | CKS | NICE
https://www.cdc.gov/vaccines/hcp/imz-schedules/adult-age.html Adult Immunization Schedule by Age | CDC
https://portal.juniperbayhealth.org/rota/week/42 Rota week 42 – Juniper Bay Health Staff Portal
https://portal.juniperbayhealth.org/incident/new Report an incident – Juniper Bay Health Staff Portal
https://clinicaltrials.gov/study/NCT05512234 Study Details | Blood Pressure Targets in Older Adults | ClinicalTrials.gov
""")
    web("work", "work", """
https://brunnhofer.lightning.force.com/lightning/r/Opportunity/0067d00000Ab3QAAR/view Rahmenvertrag Stadtwerke 2025 | Verkaufschance | Salesforce
https://brunnhofer.zendesk.com/agent/tickets/9921 Lieferung unvollständig – Ticket #9921 – Brunnhofer Kundenservice
https://www.elster.de/eportal/formulare-leistungen/alleformulare/ustva Umsatzsteuer-Voranmeldung | Mein ELSTER
https://www.gesetze-im-internet.de/bgb/__433.html § 433 BGB - Einzelnorm
https://www.datev.de/web/de/datev-shop/ Kanzlei-Rechnungswesen | DATEV
https://www.lexoffice.de/rechnungen/ Rechnungen – lexoffice
https://www.amazon.de/Leitz-10505000-Ordner-Breite-schwarz/dp/B0016R1ZW0 Leitz 10505000 Ordner 180°, A4, 8 cm, schwarz : Amazon.de: Bürobedarf & Schreibwaren
""", lang="de")
    web("work", "work", """
https://app.hubspot.com/contacts/33224411/record/0-3/20011223 Transaction : Atelier Lunel – refonte boutique | HubSpot
https://atelierlunel.zendesk.com/agent/tickets/3120 Colis endommagé à la livraison – Ticket #3120 – Atelier Lunel
https://www.impots.gouv.fr/professionnel/la-tva Je déclare et paie la TVA | impots.gouv.fr
https://www.legifrance.gouv.fr/codes/article_lc/LEGIARTI000032041571 Article 1103 - Code civil - Légifrance
https://www.doctolib.fr/pro/agenda Agenda du cabinet - Doctolib Pro
""", lang="fr")
    web("work", "work", """
https://sede.agenciatributaria.gob.es/Sede/iva.html IVA - Agencia Tributaria
https://ferreteriasolano.zendesk.com/agent/tickets/771 Pedido retrasado – Ticket #771 – Ferretería Solano
https://www.boe.es/buscar/act.php?id=BOE-A-2015-11430 BOE-A-2015-11430 Real Decreto Legislativo 2/2015, Estatuto de los Trabajadores
""", lang="es")
    web("work", "work", """
https://ivaservizi.agenziaentrate.gov.it/portale/web/guest/fatture-e-corrispettivi Fatture e Corrispettivi - Agenzia delle Entrate
https://roveda.lightning.force.com/lightning/r/Opportunity/0067a00000Cd5TAAR/view Rinnovo contratto 2025 | Opportunità | Salesforce
""", lang="it")
    web("work", "work", """
https://www.nfe.fazenda.gov.br/portal/principal.aspx Portal da Nota Fiscal Eletrônica
https://vasconcelos.pipedrive.com/deal/412 Reforma cozinha – Família Pinto – Pipedrive
""", lang="pt")
    web("work", "work", """
https://www.belastingdienst.nl/wps/wcm/connect/nl/btw/btw Btw | Belastingdienst
https://www.kvk.nl/zoeken/?source=all&q=van%20dalen%20bouw Zoeken | KVK
""", lang="nl")
    web("work", "work", """
https://ksef.mf.gov.pl/web/ Krajowy System e-Faktur
https://zielonymlyn.pipedrive.com/deal/233 Dostawa mąki – Piekarnia Nowak – Pipedrive
""", lang="pl")
    web("work", "work", """
https://www.skatteverket.se/foretag/moms Moms | Skatteverket
https://app.fortnox.se/fakturering/fakturor Fakturor – Fortnox
""", lang="sv")
    web("work", "work", """
https://www.nta.go.jp/taxes/shiraberu/zeimokubetsu/shohi/keigenzeiritsu/invoice.htm インボイス制度について｜国税庁
https://minatoseiki.cybozu.com/k/12/show#record=441 案件管理 - レコード 441 - kintone
""", lang="ja")
    web("work", "work", """
https://qingheai.feishu.cn/docx/Xk2QpLm8NtR4 客户访谈纪要 - 飞书云文档
https://work.weixin.qq.com/wework_admin/frame#contacts 通讯录 - 企业微信管理后台
""", lang="zh")
    web("work", "work", """
https://www.hometax.go.kr/websquare/websquare.html?w2xPath=/ui/pp/index.xml 국세청 홈택스
""", lang="ko")
    web("work", "work", """
https://severveter.bitrix24.ru/crm/deal/details/1184/ Сделка: Поставка оборудования для склада — Битрикс24
https://www.nalog.gov.ru/rn77/service/ Сервисы ФНС России
""", lang="ru")
    web("work", "work", """
https://ebeyanname.gib.gov.tr/ e-Beyanname | Gelir İdaresi Başkanlığı
https://kuzeyyazilim.zendesk.com/agent/tickets/502 Fatura PDF'i açılmıyor – Talep #502 – Kuzey Yazılım Destek
""", lang="tr")


# ---------------------------------------------------------------------------------------------
# Mail, chat and calls: for the job and private


def work_communication():
    app("work", "communication", "Thunderbird", """
Inbox - nina.marsh@brightmoor.io - Mozilla Thunderbird
Re: Contract renewal for Kestrel Freight - Mozilla Thunderbird
Write: Q3 numbers for the board pack - Thunderbird
Fwd: Invoice TR-2024-117 overdue - Mozilla Thunderbird
[brightmoor/ledger-api] Migrate settlement job to Postgres advisory locks (PR #522) - Mozilla Thunderbird
Re: Shoot schedule for the Emberwell advert - Mozilla Thunderbird
Sent - d.whitfield@northgate.co.uk - Mozilla Thunderbird
Re: Parents' evening slots, 9B - Mozilla Thunderbird
Interview invitation: Senior data engineer - Mozilla Thunderbird
Calendar - Mozilla Thunderbird
Re: Draft SPA comments from the buyer's side - Mozilla Thunderbird
Referral: patient 000482 to oral surgery - Mozilla Thunderbird
Write: Quote for 5,000 trifold menus - Thunderbird
[ferncloud/ingest] Upload queue stalls after network reconnect (Issue #1266) - Mozilla Thunderbird
""")
    app("other", "communication", "Thunderbird", """
Inbox - nina.m.home@posteo.net - Mozilla Thunderbird
Your order has shipped! - Mozilla Thunderbird
Re: Sunday lunch at Gran's? - Mozilla Thunderbird
Weekend reads: 12 stories we loved this week - Mozilla Thunderbird
""")
    app("work", "communication", "Evolution", """
Mail - Evolution
Re: Site visit Thursday — Evolution
Calendar - Evolution
""")
    app("work", "communication", "Geary", """
Inbox — elin.holm@coastal-lab.org
Re: Reviewer 2 comments on the sediment paper
""")
    app("other", "communication", "Geary", """
Re: Book club in November
""")
    app("work", "communication", "KMail", """
Re: Release 0.14 freeze - KMail
""")
    app("work", "communication", "Claws Mail", """
Claws Mail - Inbox (12 new, 40 unread, 1804 total)
""")
    web("work", "communication", """
https://mail.google.com/mail/u/1/#inbox Inbox (14) - nina.marsh@brightmoor.io - Brightmoor Mail
https://mail.google.com/mail/u/1/#inbox/FMfcgzQXJZkWvRnTqHdLbKpMcBsLtQxw Re: Kestrel renewal – pricing question - nina.marsh@brightmoor.io - Brightmoor Mail
https://mail.google.com/mail/u/1/#sent Sent Mail - nina.marsh@brightmoor.io - Brightmoor Mail
https://mail.google.com/mail/u/1/#label/clients%2Femberwell Emberwell - nina.marsh@brightmoor.io - Brightmoor Mail
https://mail.google.com/mail/u/0/#inbox/FMfcgzQXKbRwTmLpZnHdVcJsQkWxNbCr Invoice 2024-117 from Tallow & Reed - hello@tallowreed.co - Tallow & Reed Mail
https://mail.google.com/mail/u/0/#search/purchase+order Search results - orders@marlowprint.co.uk - Marlow Print Mail
https://outlook.office.com/mail/inbox Mail - Dana Whitfield - Outlook
https://outlook.office.com/mail/inbox/id/AAQkADAwATM0MDAAMS1iNjU Re: Payroll cut-off moved to the 24th - Dana Whitfield - Outlook
https://outlook.office.com/mail/deeplink/compose New message - Dana Whitfield - Outlook
https://outlook.office.com/mail/sentitems Sent Items - Dana Whitfield - Outlook
https://outlook.office365.com/mail/inbox/id/AAQkADBiNzU2YzE Audit fieldwork dates – Northgate Accounting - Omar Haddad - Outlook
https://app.slack.com/client/T02BRGHTM/C03REL4TRN release-train (Channel) - Brightmoor - Slack
https://app.slack.com/client/T02BRGHTM/C03INC1DNT incidents (Channel) - Brightmoor - Slack
https://app.slack.com/client/T02BRGHTM/D04DWHITF Dana Whitfield (DM) - Brightmoor - Slack
https://app.slack.com/huddle/T02BRGHTM/C03PAYMNTS Huddle: payments - Brightmoor - Slack
https://app.slack.com/client/T05FERNCLD/C05INGEST ingest-dev (Channel) - Ferncloud - Slack
https://teams.microsoft.com/v2/ Chat | Omar Haddad | Microsoft Teams
https://teams.microsoft.com/v2/?meetingjoin=true Meeting with Northgate audit team | Microsoft Teams
https://teams.microsoft.com/_#/conversations/General?groupId=4f2a General (Finance) | Microsoft Teams
https://meet.google.com/xqz-trwp-kfa Meet – Sprint 42 review
https://meet.google.com/pnd-vjkc-eqm Meet – Emberwell kickoff
https://meet.google.com/landing Google Meet
https://brightmoor.zoom.us/j/84422331190 Zoom Meeting
https://zoom.us/wc/84422331190/join?fromPWA=1 Kestrel quarterly business review - Zoom
https://zoom.us/profile Profile - Zoom
https://northgate.webex.com/meet/dwhitfield Personal Room | Dana Whitfield | Webex
https://northgate.webex.com/webappng/sites/northgate/meeting/home Webex Meetings
""")
    app("work", "communication", "Slack", """
release-train (Channel) - Brightmoor - Slack
incidents (Channel) - Brightmoor - Slack
Dana Whitfield (DM) - Brightmoor - Slack
Omar Haddad, Priya Raman, Lena Brandt (Group DM) - Brightmoor - Slack
Threads - Brightmoor - Slack
Activity - Brightmoor - Slack
design-reviews (Channel) - Tallow & Reed - Slack
ingest-dev (Channel) - Ferncloud - Slack
support-escalations (Channel) - Brightmoor - Slack
Huddle: checkout bug bash - Brightmoor - Slack
customer-kestrel (Channel) - Brightmoor - Slack
""")
    app("other", "communication", "Slack", """
random (Channel) - Brightmoor - Slack
pets (Channel) - Brightmoor - Slack
lunch-club (Channel) - Ferncloud - Slack
""")
    app("work", "communication", "Microsoft Teams", """
Chat | Omar Haddad | Microsoft Teams
Calendar | Calendar | Microsoft Teams
Month-end close (Finance) | Microsoft Teams
Meeting with Northgate audit team | Microsoft Teams
""")
    app("work", "communication", "Teams for Linux", """
Activity | Microsoft Teams
General (Payroll team) | Microsoft Teams
""")
    app("work", "communication", "Mattermost", """
Town Square - Coastal Lab Mattermost
field-campaign-2025 - Coastal Lab Mattermost
Elin Holm - Coastal Lab Mattermost
""")
    app("work", "communication", "Zoom", """
Zoom Meeting
Zoom Workplace
Sprint review - Zoom
Zoom Meeting - Screen sharing
""")
    app("work", "communication", "Element", """
Element | #ferncloud-dev:matrix.org
Element | Ops on-call
""")
    app("other", "communication", "Element", """
Element | Cycling club
""")
    app("work", "communication", "HexChat", """
HexChat: tkowal @ Libera.Chat / #tinyjson
""")
    app("other", "communication", "HexChat", """
HexChat: tkowal @ Libera.Chat / ##chat
""")
    app("work", "communication", "Quassel IRC", """
Quassel IRC - #tideline (Libera.Chat)
""")
    app("work", "communication", "Konversation", """
#kde-devel — Konversation
""")
    app("other", "communication", "Polari", """
#retro-gaming — Polari
""")
    app("other", "communication", "Pidgin", """
Buddy List
""")
    app("other", "communication", "Gajim", """
Gajim - Chat with Jonas
""")
    app("other", "communication", "Dino", """
Dino - Climbing group
""")
    app("work", "communication", "Nheko", """
nheko - Ferncloud infra
""")
    app("other", "communication", "NeoChat", """
#board-games:matrix.org — NeoChat
""")
    app("work", "communication", "Discord", """
#help-backend | Ferncloud Community - Discord
#releases | Tideline - Discord
""")
    # Work mail and chat in other languages.
    app("work", "communication", "Thunderbird", """
Posteingang - lena.brandt@brunnhofer.de - Mozilla Thunderbird
AW: Angebot Rahmenvertrag Stadtwerke - Mozilla Thunderbird
WG: Reklamation Lieferung 2024-3391 - Mozilla Thunderbird
Verfassen: Terminbestätigung Montag - Thunderbird
""", lang="de")
    app("other", "communication", "Thunderbird", """
Posteingang - lena.brandt@web.de - Mozilla Thunderbird
Ihre Bestellung wurde versandt - Mozilla Thunderbird
""", lang="de")
    web("work", "communication", """
https://mail.google.com/mail/u/1/#inbox Posteingang (7) - l.brandt@brunnhofer.de - Brunnhofer GmbH Mail
https://outlook.office.com/mail/inbox/id/AAQkADE5ZmQ3MjUt AW: Abstimmung Jahresabschluss - Jonas Vik - Outlook
https://app.slack.com/client/T07BRNHF/C07VERTRIEB vertrieb (Kanal) - Brunnhofer - Slack
""", lang="de")
    app("work", "communication", "Thunderbird", """
Courrier entrant - hugo.lefevre@atelier-lunel.fr - Mozilla Thunderbird
RE: Devis vitrine boutique de Lyon - Mozilla Thunderbird
TR: Facture fournisseur n°2024-881 - Mozilla Thunderbird
""", lang="fr")
    web("work", "communication", """
https://mail.google.com/mail/u/1/#inbox Boîte de réception (3) - hugo@atelier-lunel.fr - Atelier Lunel Mail
https://outlook.office.com/mail/inbox/id/AAQkADFhNzk4NjQt RE : Planning du chantier semaine 47 - Hugo Lefèvre - Outlook
""", lang="fr")
    app("other", "communication", "Thunderbird", """
Votre colis arrive demain - Mozilla Thunderbird
""", lang="fr")
    app("work", "communication", "Thunderbird", """
Bandeja de entrada - marta.ruiz@ferreteriasolano.es - Mozilla Thunderbird
RE: Pedido semanal de tornillería - Mozilla Thunderbird
""", lang="es")
    web("work", "communication", """
https://mail.google.com/mail/u/1/#inbox Recibidos (12) - marta@ferreteriasolano.es - Correo de Ferretería Solano
https://app.slack.com/client/T08SOLANO/C08COMPRAS compras (Canal) - Ferretería Solano - Slack
""", lang="es")
    app("work", "communication", "Thunderbird", """
Posta in arrivo - sofia.ferri@roveda.it - Mozilla Thunderbird
R: Consegna lamiere settimana prossima - Mozilla Thunderbird
""", lang="it")
    web("work", "communication", """
https://outlook.office.com/mail/inbox/id/AAQkADJlMTNkYjQt R: Verbale riunione sicurezza - Sofia Ferri - Outlook
""", lang="it")
    app("work", "communication", "Thunderbird", """
Caixa de entrada - rui.carvalho@vasconcelos.pt - Mozilla Thunderbird
RE: Orçamento da cozinha – cliente Pinto - Mozilla Thunderbird
""", lang="pt")
    web("work", "communication", """
https://mail.google.com/mail/u/1/#inbox Caixa de entrada (5) - rui@vasconcelos.pt - Vasconcelos & Filhos Mail
""", lang="pt")
    app("work", "communication", "Thunderbird", """
Postvak IN - joost.dewit@vandalenbouw.nl - Mozilla Thunderbird
RE: Oplevering Kerkstraat 12 - Mozilla Thunderbird
""", lang="nl")
    app("work", "communication", "Thunderbird", """
Odebrane - a.nowicka@zielonymlyn.pl - Mozilla Thunderbird
Odp: Zamówienie mąki na grudzień - Mozilla Thunderbird
""", lang="pl")
    app("work", "communication", "Thunderbird", """
Inkorg - elin.holm@bjorkvik.se - Mozilla Thunderbird
SV: Offert för ny webbplats - Mozilla Thunderbird
""", lang="sv")
    web("work", "communication", """
https://mail.google.com/mail/u/1/#inbox 受信トレイ (8) - aoyama@minato-seiki.co.jp - みなと精機 メール
https://app.slack.com/client/T09MINATO/C09SEIZOU 製造-第2ライン (チャンネル) - みなと精機 - Slack
""", lang="ja")
    app("work", "communication", "Thunderbird", """
Re: 見積書送付のお願い - Mozilla Thunderbird
""", lang="ja")
    web("work", "communication", """
https://exmail.qq.com/cgi-bin/frame_html?sid=Xk2Qp 收件箱 - 腾讯企业邮箱
https://qingheai.feishu.cn/messenger/ 飞书 - 项目组群聊
""", lang="zh")
    web("work", "communication", """
https://mail.worksmobile.com/#/mailList 받은메일함 - 초록숲랩 메일
""", lang="ko")
    app("work", "communication", "Thunderbird", """
Входящие - anya.volkova@severveter.ru - Mozilla Thunderbird
Re: Счёт на оплату №318 - Mozilla Thunderbird
""", lang="ru")
    app("work", "communication", "Thunderbird", """
Gelen Kutusu - emre.kaya@kuzeyyazilim.com.tr - Mozilla Thunderbird
Ynt: Sözleşme taslağı - Mozilla Thunderbird
""", lang="tr")
    app("work", "communication", "Slack", """
lager (Kanal) - Brunnhofer - Slack
""", lang="de")
    app("work", "communication", "Microsoft Teams", """
Chat | Joost de Wit | Microsoft Teams
""")
    app("work", "communication", "Zoom", """
Réunion Zoom
""", lang="fr")
    app("work", "communication", "Zoom", """
Zoom-Meeting
""", lang="de")


def private_communication():
    web("other", "communication", """
https://web.whatsapp.com/ (2) WhatsApp
https://web.whatsapp.com/ WhatsApp
https://web.telegram.org/a/#-1001822334455 Telegram Web
https://web.telegram.org/k/#@mum_and_dad (3) Telegram Web
https://www.messenger.com/t/100004412233445 Messenger | Facebook
https://www.messenger.com/t/8812234455 (1) Sam Whitfield | Messenger
https://www.facebook.com/messages/t/100009922113344 Messenger | Facebook
https://www.instagram.com/direct/inbox/ Inbox • Direct
https://www.instagram.com/direct/t/340282366841710300949128/ Chats • Direct
https://x.com/messages X / Messages
https://discord.com/channels/@me Friends | Discord
https://discord.com/channels/774412233445/774412233448 #general | Pixel Orchard - Discord
https://discord.com/channels/802211334455/802211334459 #lfg | Night Raid Guild - Discord
https://discord.com/channels/@me/911223344556677 @jonasv | Discord
https://app.element.io/#/room/#allotment-neighbours:matrix.org Element | Allotment neighbours
https://mail.google.com/mail/u/0/#inbox Inbox (23) - nina.marsh.home@gmail.com - Gmail
https://mail.google.com/mail/u/0/#inbox/FMfcgzQXKcTvBnMpLqHwRdJsKzXmYbPq Your Saturday delivery slot is confirmed - nina.marsh.home@gmail.com - Gmail
https://mail.google.com/mail/u/0/#category/promotions Promotions - nina.marsh.home@gmail.com - Gmail
https://mail.google.com/mail/u/0/#inbox/FMfcgzQXKdWxCnNqMrJxSeKtLaYnZcQr Photos from the wedding! - nina.marsh.home@gmail.com - Gmail
https://outlook.live.com/mail/0/inbox Mail - Tom Kowal - Outlook
https://outlook.live.com/mail/0/inbox/id/AQQkADAwATZiZmYAZC1 Your flight confirmation - LIS to AMS - Tom Kowal - Outlook
https://mail.proton.me/u/0/inbox Inbox | jonasvik@proton.me | Proton Mail
https://mail.proton.me/u/0/inbox/Xk2QpLm8NtR4vWz Re: Cabin weekend in March | jonasvik@proton.me | Proton Mail
https://www.icloud.com/mail/ iCloud Mail
https://mail.yahoo.com/d/folders/1 (8 unread) - omar.h77@yahoo.com - Yahoo Mail
""")
    web("other", "communication", """
https://teams.live.com/v2/ Chat | Microsoft Teams (free)
""")
    web("work", "communication", """
https://mail.proton.me/u/1/inbox Inbox | elin@coastal-lab.org | Proton Mail
https://app.element.io/#/room/#tideline:matrix.org Element | Tideline
https://discord.com/channels/1101223344556/1101223344560 #ci-failures | Ferncloud Community - Discord
""")
    app("other", "communication", "WhatsApp", """
WhatsApp
""")
    app("other", "communication", "Signal", """
Signal
Signal - Mum
""")
    app("other", "communication", "Telegram Desktop", """
Telegram
Hiking Club – (12)
""")
    app("other", "communication", "Discord", """
#general | Pixel Orchard - Discord
Friends - Discord
#memes | Board Game Night - Discord
""")
    app("work", "communication", "Signal", """
Signal - Ops on-call
""")
    web("other", "communication", """
https://mail.google.com/mail/u/0/#inbox Posteingang (31) - lena.brandt82@gmail.com - Gmail
""", lang="de")
    web("other", "communication", """
https://mail.google.com/mail/u/0/#inbox Boîte de réception (9) - hugo.lefevre.perso@gmail.com - Gmail
""", lang="fr")
    web("other", "communication", """
https://mail.google.com/mail/u/0/#inbox Recibidos (17) - marta.ruiz.g@gmail.com - Gmail
""", lang="es")
    web("other", "communication", """
https://mail.google.com/mail/u/0/#inbox Posta in arrivo (4) - sofiaferri90@gmail.com - Gmail
""", lang="it")
    web("other", "communication", """
https://mail.google.com/mail/u/0/#inbox Caixa de entrada (11) - ruicarvalho.pt@gmail.com - Gmail
""", lang="pt")
    web("other", "communication", """
https://web.telegram.org/k/#@druzya_chat Чат друзей – Telegram Web
https://vk.com/im Сообщения
""", lang="ru")
    app("other", "communication", "Telegram Desktop", """
Семья – (3)
""", lang="ru")
    app("other", "communication", "WeChat", """
微信
""", lang="zh")
    app("other", "communication", "KakaoTalk", """
카카오톡
""", lang="ko")
    app("other", "communication", "WhatsApp", """
(6) WhatsApp – Familie
""", lang="de")


# ---------------------------------------------------------------------------------------------
# Leisure: video, streaming, music


def video_and_streaming():
    youtube("other", "entertainment", """
I Tried Every Pasta Shape in One Week
Top 10 Underrated Co-op Games of 2024
Rating Every Airline Meal I Ate This Year
We Built a Treehouse in 48 Hours
Why Do Cats Knock Things Off Tables?
Speedrunning a Cosy Farming Game Any% (World Record)
The Best Goals of the Weekend | Matchday 9
Reacting to My First Ever Video
Tiny House Tour: 18 m² of Clever Storage
Unboxing the New Handheld Console – Worth It?
Lo-fi Hip Hop Radio – Beats to Relax To
Stand-up Special: Airports Are a Scam
Building a LEGO City Timelapse – Year 3
Trying Viral Food Hacks So You Don't Have To
The Rise and Fall of the Video Rental Shop
Reviewing Every Ice Cream at the Supermarket
Grand Prix Highlights | Round 17
Drone Footage of Icelandic Glaciers in 4K
Ranking Every Pokémon Starter
24 Hours in Tokyo on a Budget
Movie Trailer: The Lantern Keepers (Official Teaser)
Dog Reacts to Seeing Snow for the First Time
The History of the Humble Pencil
Escape Room Challenge with My Family
I Restored a Rusty 1970s Bike
Late Night Jazz Café Ambience – 3 Hours
NBA Top 10 Plays of the Night
Hardest Boss Fight in the Game – No Damage Run
Guess the Song in 3 Seconds Challenge
What's in My Travel Bag 2024
The Worst Movie Sequels Ever Made
My Morning Routine as a Night Owl
Painting a Mural on My Bedroom Wall
Homemade Pizza vs Restaurant Pizza – Blind Test
Strangest Buildings in Europe
Reading Your Weirdest Shower Thoughts
Full Match Replay: Chess Grandmaster Blitz Showdown
Minecraft Hardcore Day 1 to 100
Couple Tries Extreme Spicy Noodles
Vintage Car Auction Highlights
Epic Fails Compilation – October
Live Concert Recording – Summer Festival Main Stage
Skateboarding the Longest Ramp in the World
How I Decorated My Flat for Under £200
Honest Review: The New Phone After One Month
Cooking a Full Roast Dinner in a Camper Van
The Great British Tea Taste-Off
Ultimate Gaming Setup Tour 2024
Kayaking with Orcas in Norway
Funniest Wedding Speeches Ever
""")
    web("other", "entertainment", """
https://www.youtube.com/ YouTube
https://www.youtube.com/feed/subscriptions Subscriptions - YouTube
https://www.youtube.com/feed/trending Trending - YouTube
https://www.youtube.com/shorts/{v} Shorts - YouTube
https://www.youtube.com/shorts/{v}{h} #shorts cat vs cucumber - YouTube
https://www.youtube.com/results?search_query=best+horror+movies+2024 best horror movies 2024 - YouTube
https://www.youtube.com/results?search_query=minecraft+castle+build minecraft castle build - YouTube
https://www.youtube.com/@GreenValleyGardens/videos Green Valley Gardens - YouTube
https://www.youtube.com/feed/history History - YouTube
https://www.youtube.com/playlist?list=WL Watch later - YouTube
https://youtu.be/{v} Funniest Moments of the Season - YouTube
https://youtu.be/{v}?t=42 Unbelievable Last-Minute Goal - YouTube
https://m.youtube.com/watch?v={v} Relaxing Rain Sounds for Sleeping - YouTube
https://www.netflix.com/browse Home - Netflix
https://www.netflix.com/watch/81{n} Netflix
https://www.netflix.com/title/81{n} The Lantern Keepers | Netflix Official Site
https://www.netflix.com/title/80{n} Saltwater Kitchen | Netflix Official Site
https://www.netflix.com/browse/my-list My List - Netflix
https://www.netflix.com/search?q=heist Netflix
https://www.primevideo.com/storefront/home/ Prime Video: Home
https://www.primevideo.com/detail/0{r}{r}/ Watch The Long Harbour - Season 1 | Prime Video
https://www.primevideo.com/region/eu/detail/0{r}{h}/ Prime Video: Frost Road
https://www.disneyplus.com/home Disney+ | Home
https://www.disneyplus.com/video/{u} Disney+ | Watch
https://www.disneyplus.com/series/the-star-cartographers/{r}{r} Watch The Star Cartographers | Disney+
https://www.hulu.com/hub/home Home - Hulu
https://www.hulu.com/watch/{u} Watch Midnight Diner Detectives Season 2 Episode 4 | Hulu
https://play.max.com/video/watch/{u} Max
https://play.max.com/show/{u} The Iron Valley • Max
https://tv.apple.com/gb/show/harbour-lights/umc.cmc.{r}{r} Harbour Lights - Apple TV+
https://tv.apple.com/ Apple TV+
https://www.crunchyroll.com/watch/G{r}/the-dragon-courier Watch Skyward Couriers Episode 7 - The Dragon Courier - Crunchyroll
https://www.crunchyroll.com/series/G{r}{h}/skyward-couriers Skyward Couriers - Watch on Crunchyroll
https://www.crunchyroll.com/simulcasts Simulcast Season - Fall 2024 - Crunchyroll
https://www.twitch.tv/ Twitch
https://www.twitch.tv/pixelbakes Pixelbakes - Twitch
https://www.twitch.tv/directory/category/just-chatting Just Chatting - Twitch
https://www.twitch.tv/ironleaf_plays (1) ironleaf_plays - Twitch
https://www.twitch.tv/videos/2{n} Chess speedrun marathon - Twitch
https://www.dailymotion.com/video/x8{r} Best Rally Crashes 2024 - video Dailymotion
https://www.dailymotion.com/ Dailymotion - Watch and share videos
https://www.ted.com/talks/lena_ortiz_the_surprising_science_of_boredom Lena Ortiz: The surprising science of boredom | TED Talk
https://www.ted.com/talks/ Browse TED Talks
https://www.imdb.com/title/tt2{n}/ The Lantern Keepers (TV Series 2023– ) - IMDb
https://www.imdb.com/chart/top/ IMDb Top 250 Movies
https://www.rottentomatoes.com/m/frost_road Frost Road | Rotten Tomatoes
https://letterboxd.com/film/frost-road/ Frost Road (2024) directed by Ines Calder • Reviews, film + cast • Letterboxd
https://letterboxd.com/nmarsh/films/diary/ Nina's film diary • Letterboxd
https://myanimelist.net/anime/5{n}/Skyward_Couriers Skyward Couriers - MyAnimeList.net
https://www.webtoons.com/en/fantasy/tower-of-lanterns/episode-112/viewer?title_no=2{n}&episode_no=112 Tower of Lanterns - Episode 112 | WEBTOON
https://archiveofourown.org/works/5{n}/chapters/1{n} The Long Way Home - Chapter 9 - lanternlight - Archive of Our Own
https://tvtropes.org/pmwiki/pmwiki.php/Main/ChekhovsGun Chekhov's Gun - TV Tropes
https://lanternkeepers.fandom.com/wiki/Season_2 Season 2 | The Lantern Keepers Wiki | Fandom
https://xkcd.com/2{n}/ xkcd: Compiler Warnings
https://www.goodreads.com/book/show/5{n}-the-salt-road The Salt Road by Maren Ives | Goodreads
""")
    youtube("other", "entertainment", """
Die 10 besten Wanderwege in den Alpen
Wir testen die teuerste Currywurst Deutschlands
Bundesliga Highlights – 8. Spieltag
""", lang="de")
    youtube("other", "entertainment", """
On a testé tous les croissants de Paris
Les meilleurs moments de la Ligue 1 cette semaine
""", lang="fr")
    youtube("other", "entertainment", """
Reaccionando a los peores tatuajes de internet
Resumen del Clásico: todos los goles
""", lang="es")
    youtube("other", "entertainment", """
Ho provato a vivere con 5 euro al giorno
""", lang="it")
    youtube("other", "entertainment", """
Testei os lanches mais famosos de São Paulo
""", lang="pt")
    youtube("other", "entertainment", """
Ik probeerde een week lang alleen Hollandse snacks te eten
""", lang="nl")
    youtube("other", "entertainment", """
Najlepsze akcje tygodnia w Ekstraklasie
""", lang="pl")
    youtube("other", "entertainment", """
【検証】100円ショップのキャンプ道具だけで一泊してみた
""", lang="ja")
    youtube("other", "entertainment", """
한국 편의점 신상 리뷰 | 이번 주 먹방
""", lang="ko")
    youtube("other", "entertainment", """
Смешные коты 2024 — лучшее за месяц
""", lang="ru")
    youtube("other", "entertainment", """
Süper Lig'de haftanın golleri
""", lang="tr")
    web("other", "entertainment", """
https://www.bilibili.com/video/BV1{r}{h} 挑战一周只吃路边摊_哔哩哔哩_bilibili
https://www.bilibili.com/ 哔哩哔哩 (゜-゜)つロ 干杯~-bilibili
https://www.bilibili.com/bangumi/play/ep{n} 天空信使 第7话_番剧_bilibili_哔哩哔哩
https://search.bilibili.com/all?keyword=原神 原神-哔哩哔哩_Bilibili
https://www.iqiyi.com/v_{r}{h}.html 长安十二时辰 第12集-电视剧-高清在线观看–爱奇艺
https://www.douyin.com/ 抖音-记录美好生活
""", lang="zh")
    web("other", "entertainment", """
https://www.netflix.com/browse Startseite – Netflix
https://www.ardmediathek.de/video/tatort/{r}{h} Tatort: Schattenhafen - ARD Mediathek
https://www.zdf.de/serien/die-kuestenwache ZDF – Die Küstenwache
""", lang="de")
    web("other", "entertainment", """
https://www.france.tv/france-2/ France 2 en direct et en replay | France tv
https://www.netflix.com/browse Accueil – Netflix
""", lang="fr")
    web("other", "entertainment", """
https://www.rtve.es/play/videos/cuentame-como-paso/ Cuéntame cómo pasó - RTVE Play
""", lang="es")
    web("other", "entertainment", """
https://www.raiplay.it/programmi/ilcommissariomontalbano Il commissario Montalbano - RaiPlay
""", lang="it")
    web("other", "entertainment", """
https://globoplay.globo.com/novelas/ Novelas | Globoplay
""", lang="pt")
    web("other", "entertainment", """
https://www.npostart.nl/ NPO Start – Kijk programma's terug
""", lang="nl")
    web("other", "entertainment", """
https://www.svtplay.se/ SVT Play – Se serier, filmer och program
""", lang="sv")
    web("other", "entertainment", """
https://www.nicovideo.jp/watch/sm4{n} 【実況】深夜のホラーゲームを一人でやる - ニコニコ動画
https://tver.jp/ TVer(ティーバー) - 民放公式テレビ配信サービス
""", lang="ja")
    web("other", "entertainment", """
https://tv.naver.com/ 네이버TV
https://www.wavve.com/ 웨이브(wavve)
""", lang="ko")
    web("other", "entertainment", """
https://rutube.ru/video/{h}{h}/ Лучшие моменты сезона — RUTUBE
https://www.kinopoisk.ru/film/1{n}/ Северный ветер (2024) — Кинопоиск
""", lang="ru")
    app("other", "entertainment", "VLC media player", """
The.Lantern.Keepers.S02E03.1080p.mkv - VLC media player
holiday-iceland-2024.mp4 - VLC media player
VLC media player
Frost.Road.2024.720p.mkv - VLC media player
""")
    app("other", "entertainment", "mpv", """
concert-2019-live.mkv - mpv
Skyward.Couriers.E07.mkv - mpv
""")
    app("other", "entertainment", "Celluloid", """
Midnight Diner Detectives S02E04
""")
    app("other", "entertainment", "Videos", """
family-reunion-2023.mp4
""")
    app("other", "entertainment", "Haruna Media Player", """
documentary-deep-sea.mkv — Haruna
""")
    app("other", "entertainment", "SMPlayer", """
old-cartoons-collection-03.avi - SMPlayer
""")
    app("other", "entertainment", "Kodi", """
Kodi
""")
    app("other", "entertainment", "Plex", """
Plex
""")
    app("other", "entertainment", "Stremio", """
Stremio - All you can watch
""")
    app("other", "entertainment", "FreeTube", """
Why Do Cats Knock Things Off Tables? - FreeTube
FreeTube
""")
    app("work", "work", "VLC media player", """
zoom-recording-client-workshop-2024-10-15.mp4 - VLC media player
""")
    app("work", "work", "mpv", """
interview_harbour_master_cam_A.mov - mpv
""")
    app("other", "entertainment", "Foliate", """
The Salt Road
""")
    app("other", "entertainment", "calibre", """
calibre - || Calibre Library ||
""")
    app("work", "work", "calibre", """
calibre - || Technical books ||
""")


def music_and_audio():
    app("other", "neutral", "Spotify", """
Spotify Premium
Spotify Free
Maren Ives - Harbour Lights
The Quiet Tides - Paper Boats
Deep Focus
Lo-fi Beats
Discover Weekly
Low Orbit Radio - Episode 214: The Weird Physics of Cold
Daily Mix 2
Liked Songs
""")
    web("other", "neutral", """
https://open.spotify.com/ Spotify – Web Player
https://open.spotify.com/playlist/37i9dQZF1{r}{h} Spotify – Chill Indie Evenings
https://open.spotify.com/album/{r}{r}{h} Northern Static - The Quiet Tides | Spotify
https://open.spotify.com/show/{r}{r}{r} Low Orbit Radio | Podcast on Spotify
https://music.youtube.com/ YouTube Music
https://music.youtube.com/watch?v={v}&list=RDAMVM{v} Paper Boats - YouTube Music
https://music.youtube.com/playlist?list=LM Liked music - YouTube Music
https://music.apple.com/gb/album/harbour-lights/1{n} Harbour Lights - Album by Maren Ives - Apple Music
https://soundcloud.com/discover Discover on SoundCloud
https://soundcloud.com/tidalbloom/midnight-ferry Stream Midnight Ferry by Tidal Bloom | Listen online for free on SoundCloud
https://tidalbloom.bandcamp.com/album/coastlines Coastlines | Tidal Bloom
https://bandcamp.com/ Bandcamp
https://www.last.fm/user/nmarsh_listens nmarsh_listens's Music Profile | Last.fm
https://www.bbc.co.uk/sounds/play/live:bbc_radio_six_music BBC Radio 6 Music - Live - BBC Sounds
https://www.bbc.co.uk/sounds/brand/p02nrss1 In Our Time - BBC Sounds
https://www.audible.com/pd/The-Salt-Road-Audiobook/B0{r} The Salt Road (Audiobook) by Maren Ives | Audible.com
""")
    web("other", "entertainment", """
https://genius.com/Maren-ives-harbour-lights-lyrics Maren Ives – Harbour Lights Lyrics | Genius Lyrics
https://genius.com/Tidal-bloom-midnight-ferry-lyrics Tidal Bloom – Midnight Ferry Lyrics | Genius Lyrics
https://www.last.fm/music/The+Quiet+Tides/+events The Quiet Tides tour dates and tickets | Last.fm
""")
    app("other", "neutral", "Rhythmbox", """
Paper Boats - The Quiet Tides
Rhythmbox
""")
    app("other", "neutral", "Elisa", """
Harbour Lights — Elisa
""")
    app("other", "neutral", "Lollypop", """
Lollypop
""")
    app("other", "neutral", "Strawberry", """
Tidal Bloom - Midnight Ferry - Strawberry Music Player
""")
    app("other", "neutral", "Clementine", """
Clementine
""")
    app("other", "neutral", "Audacious", """
Northern Static - Audacious
""")
    app("other", "neutral", "YouTube Music", """
YouTube Music
""")
    app("other", "neutral", "Podcasts", """
Podcasts
""")
    app("other", "neutral", "Spotify", """
Spotify – Lieblingssongs
""", lang="de")
    app("other", "neutral", "Spotify", """
Spotify – Titres likés
""", lang="fr")
    web("other", "neutral", """
https://music.163.com/#/playlist?id=2{n} 深夜电台 - 歌单 - 网易云音乐
""", lang="zh")
    web("other", "neutral", """
https://www.melon.com/chart/index.htm 멜론차트>TOP100>멜론
""", lang="ko")
    web("other", "neutral", """
https://music.yandex.ru/home Яндекс Музыка — собираем музыку для вас
""", lang="ru")


# ---------------------------------------------------------------------------------------------
# Leisure: social networks and forums


def social():
    web("other", "entertainment", """
https://www.facebook.com/ Facebook
https://www.facebook.com/watch/?v=1{n} Watch | Facebook
https://www.facebook.com/marketplace/london/search?query=bike (2) Marketplace – bike | Facebook
https://www.facebook.com/groups/allotmentgrowersuk (12) Allotment Growers UK | Facebook
https://www.facebook.com/events/1{n}/ Autumn Craft Fair at the Old Mill | Facebook
https://www.facebook.com/photo/?fbid=1{n}&set=a.1{n} Photo from Sam Whitfield | Facebook
https://www.facebook.com/gaming/ Facebook Gaming
https://www.instagram.com/ Instagram
https://www.instagram.com/explore/ Explore • Instagram
https://www.instagram.com/reels/C{r}{h}/ Instagram Reels
https://www.instagram.com/p/C{r}{r}/ Marta Ruiz on Instagram: "Sunday market haul 🍋"
https://www.instagram.com/tallowreed.studio/ Tallow & Reed (@tallowreed.studio) • Instagram photos and videos
https://www.instagram.com/stories/bakery.lark/3{n}/ Stories • Instagram
https://www.tiktok.com/foryou For You | TikTok
https://www.tiktok.com/@cheflucia/video/7{N} Lucia Bakes on TikTok — 3-ingredient cookies 🍪
https://www.tiktok.com/@dogsoftheharbour/video/7{N} Dogs of the Harbour on TikTok — he heard the word walk
https://www.tiktok.com/explore Explore - Find your favourite videos on TikTok
https://www.tiktok.com/@travelwithjo/video/7{N} Jo Travels on TikTok — hidden beaches in Portugal
https://www.tiktok.com/live Live | TikTok
https://x.com/home Home / X
https://x.com/explore Explore / X
https://x.com/explore/tabs/trending Trending / X
https://x.com/notifications Notifications / X
https://x.com/moonbasecomics/status/1{N} Moonbase Comics on X: "new strip every friday, this one's about laundry" / X
https://x.com/search?q=transfer%20deadline&src=trend_click transfer deadline - Search / X
https://twitter.com/home Home / Twitter
https://twitter.com/FootyFlashes/status/1{N} Footy Flashes on Twitter: "WHAT A FINISH 😱"
https://www.threads.net/ Threads
https://www.threads.net/@bakery.lark/post/C{r}{h} @bakery.lark on Threads
https://bsky.app/ Home — Bluesky
https://bsky.app/profile/moonbasecomics.bsky.social/post/3{r}{r} @moonbasecomics.bsky.social on Bluesky
https://bsky.app/search?q=eclipse Search — Bluesky
https://mastodon.social/home Home - Mastodon
https://mastodon.social/@seabirdwatch/113{n} Seabird Watch (@seabirdwatch@mastodon.social) - Mastodon
https://mastodon.social/explore Explore - Mastodon
https://www.reddit.com/ Reddit - Dive into anything
https://www.reddit.com/r/popular/ Popular posts on Reddit
https://www.reddit.com/r/aww/comments/{r}/he_fell_asleep_in_the_laundry_basket_again/ He fell asleep in the laundry basket again : r/aww
https://www.reddit.com/r/pics/comments/{r}/sunrise_over_the_harbour_this_morning/ Sunrise over the harbour this morning : r/pics
https://www.reddit.com/r/funny/comments/{r}/my_neighbours_halloween_decorations/ My neighbour's Halloween decorations : r/funny
https://www.reddit.com/r/gaming/comments/{r}/what_game_do_you_always_come_back_to/ What game do you always come back to? : r/gaming
https://www.reddit.com/r/movies/comments/{r}/official_discussion_frost_road_spoilers/ Official Discussion - Frost Road [SPOILERS] : r/movies
https://www.reddit.com/r/soccer/comments/{r}/match_thread_rovers_vs_united/ Match Thread: Rovers vs United : r/soccer
https://www.reddit.com/r/nba/comments/{r}/post_game_thread_the_hawks_defeat_the_bulls/ [Post Game Thread] The Hawks defeat the Bulls : r/nba
https://www.reddit.com/r/AskReddit/comments/{r}/whats_a_skill_everyone_should_learn/ What's a skill everyone should learn? : r/AskReddit
https://www.reddit.com/r/todayilearned/comments/{r}/til_octopuses_have_three_hearts/ TIL octopuses have three hearts : r/todayilearned
https://www.reddit.com/r/worldnews/ r/worldnews
https://www.reddit.com/r/Cooking/comments/{r}/what_are_your_best_one_pot_meals/ What are your best one-pot meals? : r/Cooking
https://www.reddit.com/r/MechanicalKeyboards/comments/{r}/finally_finished_my_first_build/ Finally finished my first build : r/MechanicalKeyboards
https://www.reddit.com/r/buildapc/comments/{r}/is_this_build_ok_for_1440p_gaming/ Is this build OK for 1440p gaming? : r/buildapc
https://www.reddit.com/r/travel/comments/{r}/two_weeks_in_japan_itinerary_check/ Two weeks in Japan – itinerary check : r/travel
https://www.reddit.com/r/EarthPorn/comments/{r}/lofoten_islands_norway_oc_4000x3000/ Lofoten Islands, Norway [OC] [4000x3000] : r/EarthPorn
https://www.reddit.com/r/formula1/comments/{r}/race_thread_singapore_grand_prix/ Race Thread: Singapore Grand Prix : r/formula1
https://www.reddit.com/r/NintendoSwitch/ r/NintendoSwitch
https://www.reddit.com/r/boardgames/comments/{r}/best_two_player_games_2024/ Best two-player games of 2024? : r/boardgames
https://www.reddit.com/r/houseplants/comments/{r}/why_is_my_monstera_turning_yellow/ Why is my monstera turning yellow? : r/houseplants
https://www.reddit.com/r/dataisbeautiful/comments/{r}/oc_coffee_prices_by_country/ [OC] Coffee prices by country : r/dataisbeautiful
https://www.reddit.com/r/mildlyinteresting/comments/{r}/this_potato_looks_like_a_duck/ This potato looks like a duck : r/mildlyinteresting
https://www.pinterest.com/ Pinterest
https://www.pinterest.com/search/pins/?q=autumn%20wreath%20diy autumn wreath diy - Pinterest
https://www.pinterest.com/pin/1{n}/ Pin on Small kitchen ideas
https://www.pinterest.co.uk/nmarshhome/garden-ideas/ Garden ideas - Pinterest
https://www.tumblr.com/dashboard Tumblr
https://www.tumblr.com/tagged/studio%20ghibli #studio ghibli on Tumblr
https://www.quora.com/ Quora - A place to share knowledge and better understand the world
https://www.quora.com/What-is-the-most-beautiful-place-you-have-ever-visited What is the most beautiful place you have ever visited? - Quora
https://www.quora.com/Why-do-some-people-never-get-hangovers Why do some people never get hangovers? - Quora
https://9gag.com/ 9GAG: Best Funny Memes and Breaking News
https://9gag.com/gag/a{r} When Monday hits harder than expected - 9GAG
https://9gag.com/hot Hot - 9GAG
https://imgur.com/ Imgur: The magic of the Internet
https://imgur.com/gallery/{r}{h} My cat judging my cooking - Imgur
https://tinder.com/app/recs (3) Tinder
https://tinder.com/app/messages Tinder | Dating, Make Friends & Meet New People
https://bumble.com/app Bumble
https://www.boredpanda.com/funny-museum-signs/ 50 Funniest Museum Signs People Have Spotted | Bored Panda
https://www.buzzfeed.com/quizzes Quizzes | BuzzFeed
https://www.buzzfeed.com/laurenj/which-pasta-are-you Which Pasta Shape Are You? Take This Quiz
https://www.linkedin.com/feed/ (4) Feed | LinkedIn
https://www.linkedin.com/feed/update/urn:li:activity:7{N}/ Post | LinkedIn
https://fosstodon.org/@retrocomputing/113{n} Retro Computing (@retrocomputing@fosstodon.org) - Fosstodon
https://steamcommunity.com/id/nightraider/ Steam Community :: nightraider
https://steamcommunity.com/app/413150/discussions/ Stardew Valley :: Discussions - Steam Community
https://neal.fun/ neal.fun
https://neal.fun/infinite-craft/ Infinite Craft
""")
    web("other", "neutral", """
https://www.linkedin.com/jobs/search/?keywords=product%20designer&location=Bristol product designer Jobs in Bristol | LinkedIn
https://www.linkedin.com/in/dana-whitfield-0a1b2c/ Dana Whitfield | LinkedIn
https://www.linkedin.com/notifications/ (7) Notifications | LinkedIn
https://www.quora.com/How-do-I-ask-for-a-raise How do I ask for a raise? - Quora
""")
    web("work", "work", """
https://www.reddit.com/r/cscareerquestions/comments/{r}/how_do_you_document_on_call_handovers/ How do you document on-call handovers? : r/cscareerquestions
""")
    web("other", "entertainment", """
https://www.reddit.com/r/de/comments/{r}/was_ist_euer_lieblings_feierabendessen/ Was ist euer Lieblings-Feierabendessen? : r/de
https://www.facebook.com/ (2) Facebook – Startseite
https://www.instagram.com/p/C{r}{r}{h}/ Lena Brandt auf Instagram: „Herbst am Bodensee 🍂“
https://x.com/home (3) Startseite / X
""", lang="de")
    web("other", "entertainment", """
https://www.reddit.com/r/france/comments/{r}/quel_est_le_meilleur_fromage_de_votre_region/ Quel est le meilleur fromage de votre région ? : r/france
https://www.tiktok.com/@cuisinedemamie/video/7{N} Cuisine de Mamie sur TikTok — la vraie tarte tatin
https://x.com/explore Explorer / X
""", lang="fr")
    web("other", "entertainment", """
https://www.reddit.com/r/argentina/comments/{r}/que_serie_estan_viendo/ ¿Qué serie están viendo? : r/argentina
https://www.instagram.com/p/C{h}{r}/ Marta Ruiz en Instagram: "Domingo de mercado 🍊"
https://www.tiktok.com/@recetasrapidas/video/7{N} Recetas Rápidas en TikTok — tortilla en 10 minutos
""", lang="es")
    web("other", "entertainment", """
https://www.reddit.com/r/italy/comments/{r}/qual_e_il_vostro_piatto_della_domenica/ Qual è il vostro piatto della domenica? : r/italy
https://www.facebook.com/groups/amicidelcampeggio Amici del campeggio | Facebook
""", lang="it")
    web("other", "entertainment", """
https://www.reddit.com/r/brasil/comments/{r}/qual_a_melhor_praia_do_nordeste/ Qual a melhor praia do Nordeste? : r/brasil
https://www.instagram.com/p/C{r}{h}{h}/ Rui Carvalho no Instagram: "Pôr do sol em Lisboa"
""", lang="pt")
    web("other", "entertainment", """
https://www.reddit.com/r/thenetherlands/comments/{r}/beste_frietkraam_van_nederland/ Beste frietkraam van Nederland? : r/thenetherlands
""", lang="nl")
    web("other", "entertainment", """
https://www.reddit.com/r/Polska/comments/{r}/gdzie_na_weekend_w_gory/ Gdzie na weekend w góry? : r/Polska
https://www.wykop.pl/ Wykop.pl - newsy, aktualności, gry, wiadomości, muzyka, ciekawostki, humor, memy
""", lang="pl")
    web("other", "entertainment", """
https://www.reddit.com/r/sweden/comments/{r}/basta_kanelbullen_i_stockholm/ Bästa kanelbullen i Stockholm? : r/sweden
https://www.flashback.org/t3{n} Vilken är den bästa svenska filmen någonsin? - Flashback Forum
""", lang="sv")
    web("other", "entertainment", """
https://x.com/home ホーム / X
https://5ch.net/ 5ちゃんねる
https://www.pixiv.net/artworks/1{n} #オリジナル 夕暮れの灯台 - 澪のイラスト - pixiv
""", lang="ja")
    web("other", "entertainment", """
https://weibo.com/ 微博-随时随地发现新鲜事
https://www.xiaohongshu.com/explore 小红书 - 你的生活指南
https://www.zhihu.com/question/5{n} 有哪些让你相见恨晚的生活小技巧？ - 知乎
https://tieba.baidu.com/f?kw=原神 原神吧-百度贴吧
""", lang="zh")
    web("other", "entertainment", """
https://www.instagram.com/ 인스타그램
https://cafe.naver.com/ 네이버 카페
https://www.dcinside.com/ 디시인사이드 갤러리
""", lang="ko")
    web("other", "entertainment", """
https://vk.com/feed Новости
https://pikabu.ru/story/kot_i_ogurets_{n} Кот и огурец | Пикабу
""", lang="ru")
    web("other", "entertainment", """
https://www.reddit.com/r/Turkey/comments/{r}/en_iyi_kahvalti_mekani/ En iyi kahvaltı mekanı? : r/Turkey
https://eksisozluk.com/bugun-hava-cok-guzel--{n} bugün hava çok güzel - ekşi sözlük
""", lang="tr")


# ---------------------------------------------------------------------------------------------
# Leisure: news and sport. General news is read for its own sake here; the rows labelled work
# are trade and technical reading that belongs to someone's job.


def news_and_sport():
    web("other", "entertainment", """
https://news.google.com/home?hl=en-GB&gl=GB&ceid=GB:en Google News
https://news.google.com/topics/CAAqJggKIiBDQkFTRWdvSUwyMHZNRFp1ZEdvU0FtVnVHZ0pIUWlnQVAB?hl=en-GB World - Latest - Google News
https://news.google.com/search?q=storm%20warning%20coast&hl=en-GB storm warning coast - Google News
https://www.yahoo.com/ Yahoo | Mail, Weather, Search, Politics, News, Finance, Sports & Videos
https://news.yahoo.com/city-council-approves-new-cycle-lanes-{n}.html City council approves new cycle lanes
https://www.yahoo.com/entertainment/celebrity-couple-spotted-in-lisbon-{n}.html Celebrity couple spotted holidaying in Lisbon
https://www.msn.com/en-gb/feed Your personalised feed | MSN
https://www.msn.com/en-gb/news/uknews/train-strikes-planned-for-december/ar-AA1{r} Train strikes planned for December
https://www.msn.com/en-gb/lifestyle/rf-best-recipes/easy-autumn-soups/ar-AA1{r} 12 easy autumn soups
https://edition.cnn.com/ Breaking News, Latest News and Videos | CNN
https://edition.cnn.com/2024/10/16/weather/hurricane-season-late-storms/index.html Why late-season storms are getting stronger | CNN
https://edition.cnn.com/travel/best-small-towns-europe 20 of the best small towns in Europe | CNN
https://www.cnn.com/politics Politics - CNN
https://www.bbc.com/news BBC News - Home
https://www.bbc.com/news/articles/c{r}{h}o Ferry services cancelled as storm approaches coast - BBC News
https://www.bbc.com/news/world BBC News - World
https://www.bbc.com/travel/article/20241012-the-village-where-everyone-bakes The village where everyone bakes - BBC Travel
https://www.bbc.co.uk/news BBC News - Home
https://www.bbc.co.uk/news/live/c{r}{h}t Live: Storm latest - travel disruption and power cuts - BBC News
https://www.bbc.co.uk/iplayer BBC iPlayer - Home
https://www.bbc.co.uk/iplayer/episode/m00{r}/the-great-pottery-throw-down-series-8-episode-3 BBC iPlayer - The Great Pottery Throw Down - Series 8: Episode 3
https://www.bbc.co.uk/sport/football/scores-fixtures Football Scores & Fixtures - BBC Sport
https://www.nytimes.com/ The New York Times - Breaking News, US News, World News and Videos
https://www.nytimes.com/games/wordle/index.html Wordle - A daily word game - The New York Times
https://www.nytimes.com/crosswords/game/mini Daily Mini Crossword Puzzle - The New York Times
https://www.nytimes.com/games/connections Connections — The New York Times
https://cooking.nytimes.com/recipes/1{n}-one-pan-lemon-chicken One-Pan Lemon Chicken Recipe - NYT Cooking
https://www.nytimes.com/2024/10/15/arts/music/orchestra-tour-review.html An Orchestra on the Road, Still Finding Its Voice - The New York Times
https://www.theguardian.com/uk The Guardian - UK
https://www.theguardian.com/lifeandstyle/2024/oct/14/how-to-sleep-better-in-autumn How to sleep better as the nights draw in | Life and style | The Guardian
https://www.theguardian.com/football/live/2024/oct/19/rovers-v-united-live Rovers v United: live | Football | The Guardian
https://www.theguardian.com/crosswords/quick/16{n} Quick crossword No 16,998 | Crosswords | The Guardian
https://www.theguardian.com/politics/2024/oct/16/budget-what-we-know-so-far Budget 2024: what we know so far | Politics | The Guardian
https://www.washingtonpost.com/ The Washington Post - Breaking news and latest headlines, U.S. news, world news, and video
https://www.washingtonpost.com/travel/2024/10/11/fall-foliage-road-trips/ The best fall foliage road trips this year - The Washington Post
https://www.wsj.com/ The Wall Street Journal - Breaking News, Business, Financial & Economic News, World News and Video
https://www.wsj.com/lifestyle/travel/business-class-seats-ranked-{h} The Best Business-Class Seats, Ranked - WSJ
https://www.ft.com/ Financial Times
https://www.ft.com/content/{u} How to spend it: the return of the long lunch
https://www.bloomberg.com/ Bloomberg.com
https://www.bloomberg.com/news/articles/2024-10-16/luxury-watch-prices-are-falling Luxury Watch Prices Are Falling - Bloomberg
https://www.reuters.com/ Reuters | Breaking International News & Views
https://www.reuters.com/world/europe/heavy-rain-floods-roads-northern-italy-2024-10-17/ Heavy rain floods roads in northern Italy | Reuters
https://www.reuters.com/lifestyle/sports/ Sports News | Latest Sports News | Reuters
https://apnews.com/ AP News: Breaking News, Latest Headlines and Videos
https://apnews.com/article/zoo-panda-cub-birth-{h}{h} Zoo welcomes rare panda cub | AP News
https://apnews.com/hub/weather Weather news | AP News
https://www.foxnews.com/ Fox News - Breaking News Updates | Latest News Headlines
https://www.foxnews.com/sports Sports | Fox News
https://www.nbcnews.com/ NBC News - Breaking News & Top Stories
https://www.nbcnews.com/news/us-news/record-pumpkin-weighed-{n} Record-breaking pumpkin weighed in at state fair
https://www.buzzfeed.com/ BuzzFeed
https://www.buzzfeed.com/celebrity/red-carpet-looks-{n} 27 Red Carpet Looks Everyone's Talking About
https://www.dailymail.co.uk/home/index.html Home | Daily Mail Online
https://www.dailymail.co.uk/tvshowbiz/article-1{n}/reality-star-new-romance.html Reality star confirms new romance | Daily Mail Online
https://www.dailymail.co.uk/news/article-1{n}/village-fete-giant-marrow.html Village fete crowns giant marrow champion | Daily Mail Online
https://www.theverge.com/ The Verge
https://www.theverge.com/2024/10/15/{n}/best-wireless-earbuds The best wireless earbuds to buy right now - The Verge
https://techcrunch.com/ TechCrunch | Startup and Technology News
https://techcrunch.com/2024/10/16/startup-raises-for-robot-lawnmower/ Robot lawnmower startup raises Series B | TechCrunch
https://arstechnica.com/ Ars Technica
https://arstechnica.com/science/2024/10/octopus-dreams/ Scientists think octopuses might dream - Ars Technica
https://arstechnica.com/gaming/2024/10/retro-handheld-review/ Retro handheld review: a tiny console with big ambitions - Ars Technica
https://www.wired.com/ WIRED - The Latest in Technology, Science, Culture and Business | WIRED
https://www.wired.com/story/best-smart-home-gadgets-{h}/ The Best Smart Home Gadgets | WIRED
https://www.nature.com/articles/d41586-024-03{n} Why do zebras have stripes? The debate continues
""")
    web("work", "work", """
https://www.reuters.com/business/autos-transportation/eu-agrees-rules-for-freight-emissions-reporting-2024-10-17/ EU agrees rules for freight emissions reporting | Reuters
https://www.ft.com/content/{u}{h} Shipping rates climb as Red Sea diversions persist
https://www.bloomberg.com/news/articles/2024-10-15/payments-firms-face-new-refund-rules Payments Firms Face New Refund Rules in EU - Bloomberg
https://techcrunch.com/2024/10/14/stripe-adds-new-dispute-tools/ Payments platform adds new dispute tools for merchants | TechCrunch
https://www.nature.com/articles/d41586-024-02{n} Coastal flooding projections revised upward in new assessment
https://arstechnica.com/security/2024/10/critical-openssh-flaw-patched/ Critical flaw in SSH server software patched; admins urged to update - Ars Technica
https://www.theguardian.com/education/2024/oct/10/new-science-curriculum-consultation New science curriculum consultation: what teachers need to know | Education | The Guardian
""")
    web("other", "entertainment", """
https://www.espn.com/ ESPN - Serving Sports Fans. Anytime. Anywhere.
https://www.espn.com/nba/scoreboard NBA Scoreboard - 2024-25 Season - ESPN
https://www.espn.com/nfl/story/_/id/4{n}/week-7-power-rankings NFL Week 7 Power Rankings - ESPN
https://www.espn.com/soccer/match/_/gameId/70{n} Rovers 2-1 United (Oct 19, 2024) Final Score - ESPN
https://www.espn.com/fantasy/football/ Fantasy Football - ESPN
https://www.espncricinfo.com/live-cricket-score Live Cricket Scores | ESPNcricinfo
https://www.espncricinfo.com/series/test-series-2024-{n}/scorecard 1st Test, Scorecard | ESPNcricinfo
https://www.nfl.com/scores/ NFL Scores 2024 | NFL.com
https://www.nfl.com/news/week-7-injury-report Week 7 injury report | NFL.com
https://www.nba.com/games NBA Games | NBA.com
https://www.nba.com/standings NBA Standings | NBA.com
https://www.formula1.com/en/racing/2024 F1 Schedule 2024 - Official Calendar of Grand Prix Races
https://www.formula1.com/en/results/2024/races Formula 1 Race Results 2024
https://www.formula1.com/en/latest/article/{r}{h} Qualifying report: pole position decided by 0.012s
https://f1tv.formula1.com/detail/1000{n}/race Race - F1 TV
https://www.skysports.com/football/news Football News | Sky Sports
https://www.skysports.com/transfer-centre Transfer Centre | Sky Sports
https://www.skysports.com/watch/video/sports/golf/1{n} Highlights: final round | Sky Sports
https://www.flashscore.com/ Flashscore: Live Sports Scores
https://www.flashscore.com/football/england/premier-league/ Premier League 2024/2025 live scores | Flashscore
https://www.flashscore.com/match/{r}/#/match-summary Rovers - United | Flashscore
https://www.strava.com/dashboard Dashboard | Strava
https://www.strava.com/activities/12{n} Morning Run | Run | Strava
https://www.strava.com/segments/5{n} Harbour Hill Climb | Strava Ride Segment
https://www.bbc.co.uk/sport/formula1 Formula 1 - BBC Sport
https://www.premierleague.com/tables Premier League Table, Form Guide & Season Archives
https://www.uefa.com/uefachampionsleague/fixtures-results/ Champions League fixtures & results | UEFA Champions League
https://www.atptour.com/en/scores/current Tennis Scores | ATP Tour | Tennis
""")
    web("other", "entertainment", """
https://www.spiegel.de/ DER SPIEGEL | Online-Nachrichten
https://www.spiegel.de/panorama/sturmtief-an-der-kueste-faehren-fallen-aus-a-{u} Sturmtief an der Küste: Fähren fallen aus - DER SPIEGEL
https://www.spiegel.de/kultur/kino/frost-road-kritik-a-{u} »Frost Road« im Kino: Kälter geht es nicht - DER SPIEGEL
https://www.bild.de/ BILD – Aktuelle Nachrichten
https://www.bild.de/sport/fussball/bundesliga/spieltag-liveticker-{n}.bild.html Bundesliga-Liveticker: Alle Spiele, alle Tore | Sport | BILD.de
https://www.bild.de/unterhaltung/leute/promi-hochzeit-{n}.bild.html Promi-Hochzeit auf Sylt: Alle Fotos | Unterhaltung | BILD.de
https://www.tagesschau.de/ tagesschau.de - die erste Adresse für Nachrichten und Information
https://www.zeit.de/index ZEIT ONLINE | Nachrichten, News, Hintergründe und Debatten
https://www.kicker.de/bundesliga/tabelle Bundesliga Tabelle | kicker
https://www.sueddeutsche.de/muenchen Süddeutsche Zeitung – München
""", lang="de")
    web("other", "entertainment", """
https://www.lemonde.fr/ Le Monde.fr - Actualités et Infos en France et dans le monde
https://www.lemonde.fr/planete/article/2024/10/16/tempete-sur-la-cote-atlantique_{n}_3244.html Tempête sur la côte atlantique : les ferries à quai
https://www.lemonde.fr/m-le-mag/article/2024/10/12/le-retour-du-pique-nique_{n}_4500055.html Le retour du pique-nique
https://www.lequipe.fr/Football/ Football - Toute l'actualité du foot - L'Équipe
https://www.20minutes.fr/ 20 Minutes - Information et actualité en direct
https://www.lefigaro.fr/voyages/ Voyages - Le Figaro
""", lang="fr")
    web("other", "entertainment", """
https://elpais.com/ EL PAÍS: el periódico global
https://elpais.com/gastronomia/2024-10-14/las-mejores-tortillas-de-madrid.html Las mejores tortillas de Madrid | Gastronomía | EL PAÍS
https://www.marca.com/futbol/real-madrid.html Real Madrid - Noticias, fichajes y partidos | MARCA
https://as.com/resultados/futbol/primera/clasificacion/ Clasificación LaLiga EA Sports - AS.com
https://www.infobae.com/ Infobae - Noticias de último momento
""", lang="es")
    web("other", "entertainment", """
https://www.corriere.it/ Corriere della Sera: news e ultime notizie oggi da Italia e Mondo
https://www.gazzetta.it/Calcio/Serie-A/ Serie A: news, risultati e classifica | Gazzetta.it
https://www.repubblica.it/ la Repubblica: news in tempo reale
""", lang="it")
    web("other", "entertainment", """
https://g1.globo.com/ G1 - O portal de notícias da Globo
https://ge.globo.com/futebol/brasileirao-serie-a/ Brasileirão Série A | ge
https://www.publico.pt/ PÚBLICO - Notícias de Portugal e do Mundo
https://www.record.pt/futebol/ Futebol | Record
""", lang="pt")
    web("other", "entertainment", """
https://nos.nl/ NOS Nieuws - Nieuws, Sport en Evenementen
https://www.nu.nl/ NU - Het laatste nieuws het eerst op NU.nl
https://www.telegraaf.nl/sport/voetbal Voetbal | De Telegraaf
""", lang="nl")
    web("other", "entertainment", """
https://www.onet.pl/ Onet – Jesteś na bieżąco
https://sport.pl/pilka/ Piłka nożna - Sport.pl
https://www.pudelek.pl/ Pudelek - plotki, ploteczki, gwiazdy
""", lang="pl")
    web("other", "entertainment", """
https://www.aftonbladet.se/ Aftonbladet – nyheter, sport och nöje
https://www.svt.se/nyheter/ SVT Nyheter
https://www.expressen.se/sport/fotboll/ Fotboll | Expressen
""", lang="sv")
    web("other", "entertainment", """
https://news.yahoo.co.jp/ Yahoo!ニュース
https://www3.nhk.or.jp/news/ NHK NEWS WEB
https://baseball.yahoo.co.jp/npb/ プロ野球 - スポーツナビ
""", lang="ja")
    web("other", "entertainment", """
https://news.sina.com.cn/ 新闻中心首页_新浪网
https://www.thepaper.cn/ 澎湃新闻-专注时政与思想
https://sports.qq.com/ 腾讯体育
""", lang="zh")
    web("other", "entertainment", """
https://news.naver.com/ 네이버 뉴스
https://sports.news.naver.com/kbaseball/index 국내야구 : 네이버 스포츠
""", lang="ko")
    web("other", "entertainment", """
https://lenta.ru/ Lenta.ru — Новости России и мира сегодня
https://www.sports.ru/football/ Футбол — Sports.ru
https://ria.ru/ РИА Новости - события в Москве, России и мире сегодня
""", lang="ru")
    web("other", "entertainment", """
https://www.hurriyet.com.tr/ Hürriyet - Haberler, Son Dakika Haberleri ve Güncel Haber
https://www.fanatik.com.tr/ Fanatik - Spor Haberleri
https://www.sozcu.com.tr/ Sözcü Gazetesi - Son Dakika Haberleri
""", lang="tr")
    web("work", "work", """
https://www.heise.de/news/Kritische-Luecke-in-OpenSSH-Admins-sollten-zuegig-patchen-9911223.html Kritische Lücke in OpenSSH: Admins sollten zügig patchen | heise online
https://www.handelsblatt.com/unternehmen/handel-konsumgueter/logistik-frachtraten-steigen/{n}.html Logistik: Frachtraten steigen weiter – Handelsblatt
""", lang="de")
    web("work", "work", """
https://www.lemonde.fr/economie/article/2024/10/15/facturation-electronique-obligatoire-le-calendrier_{n}_3234.html Facturation électronique obligatoire : le calendrier pour les entreprises
""", lang="fr")


# ---------------------------------------------------------------------------------------------
# Leisure: shopping, travel, food, money and games


def shopping_travel_food():
    web("other", "entertainment", """
https://www.amazon.com/ Amazon.com. Spend less. Smile more.
https://www.amazon.com/s?k=wireless+earbuds wireless earbuds - Amazon.com
https://www.amazon.com/dp/B0{r}{h} Amazon.com: Cast Iron Dutch Oven, 6 Quart, Enamelled : Home & Kitchen
https://www.amazon.com/gp/cart/view.html Amazon.com Shopping Cart
https://www.amazon.com/gp/your-account/order-history Your Orders
https://www.amazon.com/gp/bestsellers/toys-and-games Amazon.com Best Sellers: Best Toys & Games
https://www.amazon.co.uk/ Amazon.co.uk: Low Prices in Electronics, Books, Sports Equipment & more
https://www.amazon.co.uk/s?k=camping+stove camping stove - Amazon.co.uk
https://www.amazon.co.uk/dp/B0{r}{r} Waterproof Hiking Boots for Men : Amazon.co.uk: Fashion
https://www.amazon.co.uk/deals Today's Deals - Amazon.co.uk
https://www.ebay.com/ Electronics, Cars, Fashion, Collectibles & More | eBay
https://www.ebay.com/itm/2{n} Vintage 35mm Film Camera with 50mm Lens, Tested | eBay
https://www.ebay.com/sch/i.html?_nkw=lego+star+destroyer lego star destroyer for sale | eBay
https://www.ebay.co.uk/itm/1{n} Retro Bike Helmet, Size M | eBay
https://www.etsy.com/ Etsy - Shop for handmade, vintage, custom, and unique gifts for everyone
https://www.etsy.com/listing/1{n}/personalised-ceramic-mug Personalised Ceramic Mug, Hand-Painted Name - Etsy UK
https://www.etsy.com/search?q=wedding%20guest%20book Wedding guest book - Etsy
https://www.walmart.com/ Walmart.com | Save Money. Live Better
https://www.walmart.com/ip/Kids-Bike-16-inch/{n} Kids Bike 16 inch with Training Wheels - Walmart.com
https://www.target.com/c/halloween/-/N-5xt2o Halloween Costumes, Decorations & Candy : Target
https://www.target.com/p/throw-blanket-sherpa/-/A-{n} Sherpa Throw Blanket - Threshold™ : Target
https://www.bestbuy.com/site/searchpage.jsp?st=4k+tv 4k tv - Best Buy
https://www.bestbuy.com/site/gaming-headset/{n}.p Wireless Gaming Headset - Best Buy
https://www.ikea.com/gb/en/p/billy-bookcase-white-00263850/ BILLY Bookcase, white, 80x28x202 cm - IKEA UK
https://www.ikea.com/gb/en/rooms/bedroom/ Bedroom furniture & ideas - IKEA UK
https://www.ikea.com/gb/en/shoppingcart/ Shopping bag - IKEA
https://www.aliexpress.com/item/1005{n}.html Mini LED Strip Lights USB 5m - AliExpress
https://www.aliexpress.com/w/wholesale-phone-case.html phone case - Buy phone case with free shipping on AliExpress
https://www.temu.com/ Temu | Explore the Latest Clothing, Beauty, Home, Jewelry & More
https://www.temu.com/kitchen-gadgets-o3-{n}.html Kitchen gadgets - Temu
https://www.shein.com/ SHEIN | Shop Women's & Men's Clothing
https://www.shein.com/Women-Knit-Cardigan-p-{n}.html Women's Oversized Knit Cardigan | SHEIN UK
https://www.asos.com/men/ Men's Clothes | Shop for Men's Fashion | ASOS
https://www.asos.com/asos-design/asos-design-wool-mix-overcoat/prd/{n} ASOS DESIGN wool mix overcoat in camel | ASOS
https://bristol.craigslist.org/search/bia bicycles - by owner - craigslist
https://sfbay.craigslist.org/sfc/fuo/d/san-francisco-mid-century-desk/7{n}.html mid century desk - furniture - by owner - sale - craigslist
https://www.zillow.com/homes/for_sale/Portland,-OR_rb/ Portland OR Real Estate - Portland OR Homes For Sale | Zillow
https://www.zillow.com/homedetails/14-Mill-Ln/{n}_zpid/ 14 Mill Ln | Zillow
https://www.rightmove.co.uk/properties/1{n} 3 bedroom terraced house for sale in Harbour Road | Rightmove
https://www.doordash.com/ Food Delivery from Local Restaurants | DoorDash
https://www.doordash.com/store/golden-dragon-{n}/ Golden Dragon Delivery Menu | DoorDash
https://www.ubereats.com/gb/feed Order Food Online | Uber Eats
https://www.ubereats.com/gb/store/pizza-harbour/{r}{h} Pizza Harbour Menu – Uber Eats
https://www.deliveroo.co.uk/menu/bristol/harbourside/sushi-nami Sushi Nami - Harbourside delivery from Harbourside - Order with Deliveroo
https://www.allrecipes.com/recipe/2{n}/easy-banana-bread/ Easy Banana Bread Recipe
https://www.allrecipes.com/recipes/1{n}/soups-stews-and-chili/ Soup, Stew and Chili Recipes
https://www.bbcgoodfood.com/recipes/collection/autumn-recipes Autumn recipes | BBC Good Food
https://www.seriouseats.com/the-best-roast-potatoes-recipe The Best Roast Potatoes Ever Recipe
https://www.booking.com/ Booking.com | Official site | The best hotels, flights, car rentals & accommodations
https://www.booking.com/hotel/pt/casa-do-rio-lisboa.html Casa do Rio Lisboa, Lisbon (updated prices 2024)
https://www.booking.com/searchresults.html?ss=Porto&checkin=2025-04-12&checkout=2025-04-16 Booking.com : Hotels in Porto . Book your hotel now!
https://www.airbnb.com/rooms/5{n} Cabin by the lake with sauna - Cabins for Rent in Lapland, Finland - Airbnb
https://www.airbnb.co.uk/s/Cornwall/homes?adults=4 Cornwall · Holiday rentals · Airbnb
https://www.airbnb.com/trips Trips - Airbnb
https://www.expedia.com/Flights-Search?trip=roundtrip&leg1=from:LHR,to:KEF Flights from London to Reykjavik | Expedia
https://www.expedia.co.uk/Lisbon-Hotels.d178248.Travel-Guide-Hotels Lisbon Hotels: Find Hotel Deals & Discounts | Expedia
https://www.tripadvisor.com/Attractions-g189158-Activities-Lisbon_Lisbon_District_Central_Portugal.html THE 15 BEST Things to Do in Lisbon - 2024 (with Photos) - Tripadvisor
https://www.tripadvisor.co.uk/Restaurant_Review-g186338-d{n}-Reviews-The_Harbour_Kitchen-London_England.html THE HARBOUR KITCHEN, London - Restaurant Reviews, Photos & Phone Number - Tripadvisor
https://www.skyscanner.net/transport/flights/lond/lis/250412/250416/ Cheap flights from London to Lisbon | Skyscanner
https://www.skyscanner.net/transport/flights-from/lond/?adults=2 Cheap flights from London | Skyscanner
https://www.google.com/travel/flights/search?tfs=CBwQAhoeEgoyMDI1LTA0LTEyagcIARIDTEhScgcIARIDTElT Google Flights - London to Lisbon
https://www.google.com/travel/hotels/Porto Porto hotels - Google Hotels
https://www.google.com/shopping?q=running+shoes running shoes - Google Shopping
https://www.google.com/finance/quote/AAPL:NASDAQ Apple Inc (AAPL) Stock Price & News - Google Finance
https://www.ryanair.com/gb/en/trip/flights/select?adults=2&originIata=STN&destinationIata=OPO Ryanair | Select flights
https://www.thetrainline.com/book/results?origin=London&destination=Edinburgh Trainline | London to Edinburgh
""")
    web("work", "neutral", """
https://travel.northgate.co.uk/trips/2241/hotels Hotels near the client site – Lyon – Northgate Travel
https://eu2.concursolutions.com/nui/expense/report/4412 Expense report: Lyon client workshop - SAP Concur
""")
    web("other", "neutral", """
https://www.paypal.com/myaccount/summary Summary - PayPal
https://www.paypal.com/myaccount/activities/ Activity - PayPal
https://www.paypal.com/myaccount/transfer/homepage/pay Send money - PayPal
https://www.paypal.com/signin Log in to your PayPal account
https://online.harbourbank.co.uk/accounts/current Current account – Harbour Bank Online
https://online.harbourbank.co.uk/payments/new New payment – Harbour Bank Online
https://www.gov.uk/check-state-pension Check your State Pension forecast - GOV.UK
https://www.tax.service.gov.uk/personal-account Personal tax account - GOV.UK
""")
    web("other", "entertainment", """
https://robinhood.com/ Investing | Robinhood
https://robinhood.com/stocks/TSLA Tesla Stock Price Today | Robinhood
https://www.coinbase.com/home Home | Coinbase
https://www.coinbase.com/price/bitcoin Bitcoin Price, BTC Price, Live Charts, and Marketcap | Coinbase
https://www.binance.com/en/trade/BTC_USDT?type=spot BTC/USDT | Binance Spot
https://www.binance.com/en/markets/overview Cryptocurrency Prices, Charts, and Crypto Market Cap | Binance
https://www.tradingview.com/chart/{r}/ BTCUSD 67,412 ▲ +2.1% Unnamed
https://www.tradingview.com/symbols/NASDAQ-NVDA/ NVIDIA Corporation (NVDA) Stock Price | TradingView
""")
    web("work", "work", """
https://www.tradingview.com/chart/{r}{h}/ EURUSD 1.0842 ▼ −0.12% FX desk – hedging levels
""")
    web("other", "entertainment", """
https://www.amazon.de/ Amazon.de: Günstige Preise für Elektronik & Foto, Filme, Musik, Bücher, Games, Spielzeug & mehr
https://www.amazon.de/s?k=wanderschuhe+damen wanderschuhe damen - Amazon.de
https://www.amazon.de/dp/B0{r}{h} Kaffeevollautomat mit Milchsystem : Amazon.de: Küche, Haushalt & Wohnen
https://www.zalando.de/damen-home/ Damenmode & Schuhe online kaufen | ZALANDO
https://www.otto.de/moebel/sofas/ Sofas online kaufen | OTTO
https://www.chefkoch.de/rezepte/1{n}/Kuerbissuppe.html Kürbissuppe von Hobbykoch | Chefkoch
https://www.kleinanzeigen.de/s-fahrraeder/c217 Fahrräder kaufen & verkaufen | kleinanzeigen.de
https://www.booking.com/hotel/at/alpenhof-tirol.de.html Alpenhof Tirol, Mayrhofen (aktualisierte Preise für 2024)
https://www.check24.de/reise/ Reise: Urlaub günstig buchen | CHECK24
""", lang="de")
    web("other", "entertainment", """
https://www.amazon.fr/s?k=lampe+de+chevet lampe de chevet - Amazon.fr
https://www.leboncoin.fr/recherche?category=2&text=velo vélo - leboncoin
https://www.marmiton.org/recettes/recette_tarte-tatin_1{n}.aspx Tarte Tatin : recette de Tarte Tatin - Marmiton
https://www.sncf-connect.com/app/home/search Rechercher un trajet | SNCF Connect
https://www.cdiscount.com/telephonie/ Téléphonie mobile - Cdiscount
""", lang="fr")
    web("other", "entertainment", """
https://www.amazon.es/s?k=zapatillas+running zapatillas running - Amazon.es
https://www.elcorteingles.es/moda/ Moda · El Corte Inglés
https://listado.mercadolibre.com.ar/bicicleta bicicleta | MercadoLibre
https://www.recetasgratis.net/receta-de-paella-valenciana-{n}.html Paella valenciana - Receta FÁCIL
https://www.idealista.com/alquiler-viviendas/madrid-madrid/ Alquiler de pisos en Madrid — idealista
""", lang="es")
    web("other", "entertainment", """
https://www.amazon.it/s?k=macchina+caffe macchina caffè - Amazon.it
https://www.giallozafferano.it/ricette/Risotto-ai-funghi.html Ricetta Risotto ai funghi - La Ricetta di GialloZafferano
https://www.subito.it/annunci-italia/vendita/biciclette/ Biciclette in vendita in tutta Italia - Subito.it
""", lang="it")
    web("other", "entertainment", """
https://www.mercadolivre.com.br/ Mercado Livre Brasil - Frete Grátis no mesmo dia
https://www.tudogostoso.com.br/receita/{n}-bolo-de-cenoura.html Bolo de cenoura - TudoGostoso
https://www.olx.pt/ OLX.pt - Anúncios grátis
""", lang="pt")
    web("other", "entertainment", """
https://www.bol.com/nl/nl/s/?searchtext=airfryer airfryer | bol
https://www.marktplaats.nl/l/fietsen-en-brommers/ Fietsen en Brommers | Marktplaats
https://www.ah.nl/allerhande/recept/R-R{n}/hollandse-stamppot Hollandse stamppot recept - Allerhande | Albert Heijn
""", lang="nl")
    web("other", "entertainment", """
https://allegro.pl/listing?string=buty%20zimowe buty zimowe - Allegro
https://www.olx.pl/d/motoryzacja/ Motoryzacja - OLX.pl
https://www.kwestiasmaku.com/przepis/pierogi-ruskie Pierogi ruskie - Kwestia Smaku
""", lang="pl")
    web("other", "entertainment", """
https://www.blocket.se/annonser/hela_sverige/fordon/cyklar Cyklar i hela Sverige | Blocket
https://www.ica.se/recept/kanelbullar-{n}/ Kanelbullar | Recept ICA.se
https://www.prisjakt.nu/c/horlurar Hörlurar - Jämför priser på Prisjakt
""", lang="sv")
    web("other", "entertainment", """
https://www.amazon.co.jp/s?k=加湿器 Amazon.co.jp : 加湿器
https://item.rakuten.co.jp/kitchen-shop/{n}/ 【楽天市場】電気ケトル 1.0L 温度調節付き
https://cookpad.com/recipe/{n} 簡単！鶏の照り焼き by ゆき 【クックパッド】
https://www.jalan.net/yad3{n}/ 箱根 湯の宿 – じゃらんnet
""", lang="ja")
    web("other", "entertainment", """
https://s.taobao.com/search?q=羽绒服 羽绒服_淘宝搜索
https://item.jd.com/1{n}.html 【京东】无线蓝牙耳机 降噪
https://www.xiachufang.com/recipe/1{n}/ 红烧肉的做法_下厨房
https://you.ctrip.com/sight/beijing1.html 北京旅游攻略 - 携程旅行
""", lang="zh")
    web("other", "entertainment", """
https://www.coupang.com/np/search?q=가습기 가습기 - 쿠팡!
https://www.10000recipe.com/recipe/6{n} 김치찌개 맛있게 끓이는 법 - 만개의레시피
""", lang="ko")
    web("other", "entertainment", """
https://www.ozon.ru/category/smartfony-15502/ Смартфоны — купить на OZON
https://www.wildberries.ru/catalog/1{n}/detail.aspx Куртка зимняя женская — Wildberries
https://eda.ru/recepty/supy/borsch-{n} Борщ классический — рецепт | Еда.ру
""", lang="ru")
    web("other", "entertainment", """
https://www.trendyol.com/sr?q=kaban kaban - Trendyol
https://www.hepsiburada.com/robot-supurgeler-c-80160033 Robot Süpürgeler - Hepsiburada
https://www.nefisyemektarifleri.com/mercimek-corbasi/ Mercimek Çorbası Tarifi - Nefis Yemek Tarifleri
""", lang="tr")
    web("other", "neutral", """
https://www.paypal.com/myaccount/summary Übersicht - PayPal
""", lang="de")


def games():
    web("other", "entertainment", """
https://store.steampowered.com/ Welcome to Steam
https://store.steampowered.com/app/413150/Stardew_Valley/ Stardew Valley on Steam
https://store.steampowered.com/specials Special Offers on Steam
https://store.steampowered.com/wishlist/id/nightraider/ nightraider's Wishlist
https://store.epicgames.com/en-US/free-games Free Games - Epic Games Store
https://store.epicgames.com/en-US/p/lantern-valley Lantern Valley | Download and Buy Today - Epic Games Store
https://www.gog.com/en/games?priceRange=0,5 Browse, Download and Play DRM-Free Games | GOG.COM
https://www.gog.com/en/game/tower_of_lanterns Tower of Lanterns on GOG.com
https://itch.io/games/top-rated Top rated games - itch.io
https://pixelorchard.itch.io/tiny-harbour Tiny Harbour by Pixel Orchard
https://www.roblox.com/home Home - Roblox
https://www.roblox.com/games/1{n}/Island-Tycoon Island Tycoon - Roblox
https://www.chess.com/play/online Play Chess Online Against the Computer - Chess.com
https://www.chess.com/game/live/1{n} Chess: nightraider vs kingpawn42 - Chess.com
https://www.chess.com/puzzles/rated Chess Puzzles - Chess.com
https://lichess.org/ lichess.org • Free Online Chess
https://lichess.org/{r} Play rapid • lichess.org
https://lichess.org/training Chess tactics trainer • lichess.org
https://poki.com/ Free Online Games for Kids and Adults | Poki
https://poki.com/en/g/subway-surfers Subway Surfers 🕹️ Play on Poki
https://www.crazygames.com/ Free Online Games on CrazyGames | Play Now!
https://www.crazygames.com/game/bullet-force-multiplayer Bullet Force 🕹️ Play on CrazyGames
https://www.geoguessr.com/ GeoGuessr - Let's explore the world!
https://www.geoguessr.com/game/{r}{r} Game - GeoGuessr
https://www.nexusmods.com/skyrimspecialedition/mods/1{n} Better Lanterns at Skyrim Special Edition Nexus - Mods and Community
https://www.nexusmods.com/stardewvalley/mods Stardew Valley Nexus - Mods and community
https://www.ign.com/ IGN: Video Game News & Reviews
https://www.ign.com/articles/lantern-valley-review Lantern Valley Review - IGN
https://www.ign.com/wikis/stardew-valley/Community_Center Community Center - Stardew Valley Guide - IGN
https://stardewvalleywiki.com/Pierre Pierre - Stardew Valley Wiki
https://minecraft.fandom.com/wiki/Redstone_circuits Redstone circuits – Minecraft Wiki
https://www.twitch.tv/directory/category/stardew-valley Stardew Valley - Twitch
https://www.nytimes.com/games/strands Strands: Uncover Words - The New York Times Games
https://wordly.org/ Wordly - Play Wordle unlimited
""")
    app("other", "entertainment", "Steam", """
Steam
Friends List
Steam - Store
Stardew Valley - Steam
""")
    app("other", "entertainment", "Lutris", """
Lutris
""")
    app("other", "entertainment", "Heroic Games Launcher", """
Heroic Games Launcher
""")
    app("other", "entertainment", "itch", """
itch
""")
    app("other", "entertainment", "Minecraft Launcher", """
Minecraft Launcher
""")
    app("other", "entertainment", "Prism Launcher", """
Prism Launcher 8.4 - Version 1.21.1
""")
    app("other", "entertainment", "RetroArch", """
RetroArch
""")
    app("other", "entertainment", "Dolphin Emulator", """
Dolphin 2407 | JIT64 DC | OpenGL | HLE | Lantern Quest (GLQE01)
""")
    app("other", "entertainment", "Mines", """
Mines
""")
    app("other", "entertainment", "Aisleriot Solitaire", """
Klondike
FreeCell
""")
    app("other", "entertainment", "KPatience", """
Spider — KPatience
""")
    app("other", "entertainment", "Chess", """
Chess
""")
    app("other", "entertainment", "SuperTuxKart", """
SuperTuxKart 1.4
""")
    app("other", "entertainment", "Minetest", """
Minetest 5.8.0 [Singleplayer]
""")
    app("other", "entertainment", "Battle for Wesnoth (1.16)", """
The Battle for Wesnoth - 1.16.11
""")
    app("other", "entertainment", "0 A.D.", """
0 A.D.
""")
    app("other", "entertainment", "Factorio", """
Factorio 1.1.110
""")
    app("other", "entertainment", "Stardew Valley", """
Stardew Valley
""")
    app("other", "entertainment", "Terraria", """
Terraria: Also try Minecraft!
""")
    app("other", "entertainment", "Counter-Strike 2", """
Counter-Strike 2
""")
    app("other", "entertainment", "Dota 2", """
Dota 2
""")
    app("other", "entertainment", "qBittorrent", """
[D: 4.2 MiB/s, U: 310 KiB/s] qBittorrent v4.6.5
""")
    app("other", "entertainment", "Transmission", """
Transmission
""")
    web("other", "entertainment", """
https://store.steampowered.com/?l=german Willkommen bei Steam
https://www.chess.com/de/play/online Schach online spielen gegen den Computer - Chess.com
https://www.spieleaffe.de/ Spieleaffe - Kostenlose Online Spiele
""", lang="de")
    web("other", "entertainment", """
https://www.jeuxvideo.com/ jeuxvideo.com - La Référence des Jeux Vidéo
""", lang="fr")
    web("other", "entertainment", """
https://store.steampowered.com/?l=spanish Te damos la bienvenida a Steam
""", lang="es")
    web("other", "entertainment", """
https://www.4gamer.net/ 4Gamer.net ― ゲームのためのポータルサイト
https://www.pixiv.net/novel/show.php?id=2{n} 灯台守の夜 - 澪の小説 - pixiv
""", lang="ja")
    web("other", "entertainment", """
https://lichess.org/?lang=ru lichess.org • Бесплатные шахматы онлайн
""", lang="ru")
    web("other", "entertainment", """
https://www.op.gg/ 롤 전적 검색 OP.GG
""", lang="ko")


# ---------------------------------------------------------------------------------------------
# Neutral ground: new tabs, searches, settings, files, system tools, passwords, sign-in, weather.
# A neutral window is labelled work only when it plainly serves the job (a project folder, the
# team's password database, the company sign-in page, a search for a programming error).

SEARCH_FORMS = {
    # engine: (address before the query, title with {q})
    "google": ("https://www.google.com/search?q=", "{q} - Google Search"),
    "google.de": ("https://www.google.de/search?q=", "{q} - Google Suche"),
    "google.fr": ("https://www.google.fr/search?q=", "{q} - Recherche Google"),
    "google.co.uk": ("https://www.google.co.uk/search?q=", "{q} - Google Search"),
    "google.es": ("https://www.google.es/search?q=", "{q} - Buscar con Google"),
    "google.it": ("https://www.google.it/search?q=", "{q} - Cerca con Google"),
    "google.pt": ("https://www.google.com/search?hl=pt-BR&q=", "{q} - Pesquisa Google"),
    "google.nl": ("https://www.google.nl/search?q=", "{q} - Google Zoeken"),
    "google.pl": ("https://www.google.pl/search?q=", "{q} - Szukaj w Google"),
    "google.se": ("https://www.google.se/search?q=", "{q} - Sök på Google"),
    "google.ja": ("https://www.google.co.jp/search?q=", "{q} - Google 検索"),
    "google.zh": ("https://www.google.com/search?hl=zh-CN&q=", "{q} - Google 搜索"),
    "google.ko": ("https://www.google.co.kr/search?q=", "{q} - Google 검색"),
    "google.ru": ("https://www.google.ru/search?q=", "{q} - Поиск в Google"),
    "google.tr": ("https://www.google.com.tr/search?q=", "{q} - Google'da Ara"),
    "ddg": ("https://duckduckgo.com/?t=ffab&ia=web&q=", "{q} at DuckDuckGo"),
    "bing": ("https://www.bing.com/search?form=QBLH&q=", "{q} - Search"),
    "yandex": ("https://yandex.ru/search/?lr=213&text=", "{q} — Яндекс: нашлось 3 млн результатов"),
    "baidu": ("https://www.baidu.com/s?ie=utf-8&wd=", "{q}_百度搜索"),
}


def search(label, kind, engine, block, lang="en"):
    """Result pages of one search engine, one query a line."""
    head, title = SEARCH_FORMS[engine]
    for query in _lines(block):
        _add(label, kind, _browser(), title.replace("{q}", query), head + quote_plus(query), lang)


def neutral_ground():
    for browser in ("Firefox ESR", "Firefox", "Chromium", "Google Chrome"):
        _add("other", "neutral", browser, "New Tab", "", "en")
    _add("other", "neutral", "Firefox", "Private Browsing", "", "en")
    _add("other", "neutral", "Firefox ESR", "Settings", "", "en")
    _add("other", "neutral", "Firefox", "Add-ons Manager", "", "en")
    _add("other", "neutral", "Chromium", "Downloads", "", "en")
    _add("other", "neutral", "Google Chrome", "History", "", "en")
    for browser, title, lang in (
            ("Firefox ESR", "Neuer Tab", "de"), ("Firefox", "Nouvel onglet", "fr"),
            ("Chromium", "Nueva pestaña", "es"), ("Firefox", "Nuova scheda", "it"),
            ("Google Chrome", "Nova guia", "pt"), ("Firefox ESR", "Nieuw tabblad", "nl"),
            ("Firefox", "Nowa karta", "pl"), ("Firefox ESR", "Ny flik", "sv"),
            ("Firefox", "新しいタブ", "ja"), ("Chromium", "新标签页", "zh"),
            ("Google Chrome", "새 탭", "ko"), ("Firefox ESR", "Новая вкладка", "ru"),
            ("Firefox", "Yeni Sekme", "tr")):
        _add("other", "neutral", browser, title, "", lang)
    web("other", "neutral", """
https://www.google.com/ Google
https://www.google.co.uk/ Google
https://duckduckgo.com/ DuckDuckGo — Privacy, simplified.
https://www.bing.com/ Bing
https://www.google.com/maps/@51.4545,-2.5879,14z Google Maps
https://www.google.com/maps/dir/Temple+Meads/Clifton+Suspension+Bridge Temple Meads to Clifton Suspension Bridge - Google Maps
https://www.openstreetmap.org/ OpenStreetMap
https://www.openstreetmap.org/directions?engine=fossgis_osrm_bike&route=51.45%2C-2.58%3B51.46%2C-2.62 Directions | OpenStreetMap
https://weather.com/weather/tenday/l/Bristol+England+United+Kingdom 10-Day Weather Forecast for Bristol, England, United Kingdom - The Weather Channel | weather.com
https://weather.com/weather/radar/interactive/l/Lisbon+Portugal Interactive Weather Radar Map for Lisbon - The Weather Channel | weather.com
https://www.metoffice.gov.uk/weather/forecast/gcnhtnumz Bristol (City of Bristol) weather - Met Office
https://www.yr.no/en/forecast/daily-table/1-72837/Norway/Vestland/Bergen/Bergen Bergen - Weather forecast from Yr
https://www.speedtest.net/ Speedtest by Ookla - The Global Broadband Speed Test
https://www.speedtest.net/result/1{n} Speedtest by Ookla - Results
https://fast.com/ Internet Speed Test | Fast.com
https://accounts.google.com/v3/signin/identifier?flowName=GlifWebSignIn Sign in - Google Accounts
https://myaccount.google.com/security Security - Google Account
https://vault.bitwarden.com/#/vault Vaults | Bitwarden Web vault
https://bitwarden.com/help/import-from-keepass/ Import data from KeePass | Bitwarden
https://my.1password.com/home 1Password
https://support.apple.com/en-gb/102650 Mac keyboard shortcuts - Apple Support (UK)
https://www.apple.com/uk/shop/buy-iphone Buy iPhone - Apple (UK)
https://www.icloud.com/photos/ iCloud Photos
https://www.icloud.com/ iCloud
https://account.microsoft.com/ Microsoft account | Home
https://www.microsoft.com/en-gb/software-download/windows11 Download Windows 11
https://support.microsoft.com/en-gb/windows/fix-bluetooth-problems-in-windows-723e092f-03fa-858b-5c80-131ec3fba75c Fix Bluetooth problems in Windows - Microsoft Support
https://time.is/Tokyo Time in Tokyo, Japan now - Time.is
https://www.timeanddate.com/holidays/uk/2025 Holidays and Observances in United Kingdom in 2025
https://www.xe.com/currencyconverter/convert/?Amount=30&From=USD&To=GBP 30 USD to GBP - Convert US Dollars to British Pounds
https://192.168.1.1/ Router login
https://www.royalmail.com/track-your-item#/tracking-results/QF123456784GB Track your item | Royal Mail Group Ltd
""")
    web("work", "neutral", """
https://login.microsoftonline.com/common/oauth2/v2.0/authorize?client_id=4765445b Sign in to your account
https://login.microsoftonline.com/northgate.co.uk/saml2 Northgate Accounting – Sign in
https://brightmoor.okta.com/app/UserHome Brightmoor - My Apps Dashboard
https://accounts.google.com/o/saml2/initsso?idpid=C01brtmr Sign in – Brightmoor Workspace
https://vault.bitwarden.com/#/organizations/{u}/vault Brightmoor Engineering | Bitwarden Web vault
https://status.brightmoor.io/ Brightmoor Status
""")
    search("work", "work", "google", """
cmake find_package Qt6 not found
postgres jsonb gin index slow
excel sumifs multiple criteria same column
how to write a statement of work
vat reverse charge services eu b2b
kubectl rollout restart deployment
typeerror 'nonetype' object is not subscriptable
inkscape export png at 300 dpi
data processing agreement template gdpr
ibuprofen maximum dose children by weight
photosynthesis worksheet ks3 pdf
incoterms 2020 dap vs ddp
salesforce report custom filter logic
kdenlive proxy clips render
zendesk macro placeholders ticket requester
react useeffect cleanup function async
git undo last commit keep changes
gross margin vs markup formula
""")
    search("work", "work", "ddg", """
ssh permission denied (publickey) after key rotation
latex multirow table vertical alignment
rust serde rename_all camelCase enum
qgis reproject layer to EPSG:27700
""")
    search("work", "work", "bing", """
power bi dax running total by month
teams meeting recording where saved
""")
    search("other", "entertainment", "google", """
cheap flights lisbon april
frost road film review
rovers vs united score
lantern keepers season 3 release date
stardew valley community center bundles
best board games for two players
""")
    search("other", "entertainment", "ddg", """
recipes with leftover pumpkin
""")
    search("other", "neutral", "google", """
weather tomorrow bristol
pharmacy open now near me
bank holidays 2025 uk
how to reset router password
dentist near me accepting new patients
""")
    search("other", "neutral", "bing", """
time in tokyo
""")
    # Searches in other languages.
    search("work", "work", "google.de", """
excel sverweis mehrere bedingungen
umsatzsteuer reverse charge eu dienstleistung
""", lang="de")
    search("other", "entertainment", "google.de", """
bundesliga tabelle
""", lang="de")
    search("other", "neutral", "google.de", """
wetter morgen münchen
""", lang="de")
    search("work", "work", "google.fr", """
modèle facture auto-entrepreneur
""", lang="fr")
    search("other", "entertainment", "google.fr", """
horaires cinéma lyon ce soir
""", lang="fr")
    search("work", "work", "google.es", """
cómo calcular el iva trimestral autónomos
""", lang="es")
    search("other", "entertainment", "google.es", """
resultados liga hoy
""", lang="es")
    search("work", "work", "google.it", """
fattura elettronica scarto codice 00305
""", lang="it")
    search("other", "neutral", "google.it", """
orari farmacie di turno milano
""", lang="it")
    search("work", "work", "google.pt", """
como emitir nota fiscal de serviço mei
""", lang="pt")
    search("work", "work", "google.nl", """
btw aangifte kwartaal verleggen
""", lang="nl")
    search("other", "entertainment", "google.nl", """
goedkope vakantie kreta oktober
""", lang="nl")
    search("work", "work", "google.pl", """
jpk vat korekta faktury błąd
""", lang="pl")
    search("work", "work", "google.se", """
momsregistrering enskild firma blankett
""", lang="sv")
    search("work", "work", "google.ja", """
python pandas 日付 変換 エラー
""", lang="ja")
    search("other", "neutral", "google.ja", """
明日の天気 横浜
""", lang="ja")
    search("work", "work", "google.zh", """
mysql 索引失效 原因
""", lang="zh")
    search("work", "work", "baidu", """
python 读取excel 中文乱码
""", lang="zh")
    search("other", "neutral", "baidu", """
北京天气预报
""", lang="zh")
    search("work", "work", "google.ko", """
엑셀 피벗 테이블 만들기
""", lang="ko")
    search("work", "work", "google.ru", """
1с выгрузка в excel ошибка
""", lang="ru")
    search("other", "neutral", "yandex", """
погода в москве на неделю
""", lang="ru")
    search("work", "work", "google.tr", """
e-fatura iptal süresi
""", lang="tr")
    search("other", "entertainment", "google.tr", """
galatasaray maç sonucu
""", lang="tr")
    web("other", "neutral", """
https://www.wetter.com/deutschland/muenchen/DE0006515.html Wetter München - aktuelle Wettervorhersage | wetter.com
""", lang="de")
    web("other", "neutral", """
https://meteofrance.com/previsions-meteo-france/lyon/69000 Météo Lyon : Prévisions météo à 15 jours - Météo-France
""", lang="fr")
    web("other", "neutral", """
https://tenki.jp/forecast/3/17/4610/14100/ 横浜市の天気 - 日本気象協会 tenki.jp
""", lang="ja")
    web("other", "neutral", """
https://www.weather.com.cn/weather/101010100.shtml 北京天气预报,北京7天天气预报 - 中国天气网
""", lang="zh")
    web("other", "neutral", """
https://www.gismeteo.ru/weather-moscow-4368/ Погода в Москве на неделю — GISMETEO
""", lang="ru")
    web("other", "neutral", """
https://www.mgm.gov.tr/tahmin/il-ve-ilceler.aspx?il=İstanbul İstanbul Hava Durumu - Meteoroloji Genel Müdürlüğü
""", lang="tr")

    # GNOME's Settings names the window after its page; KDE's after the module.
    app("other", "neutral", "Settings", """
Wi-Fi
Displays
Sound
Bluetooth
Power
Appearance
Notifications
Keyboard
Mouse & Touchpad
Date & Time
Users
Online Accounts
Privacy & Security
Network
""")
    app("other", "neutral", "Settings", """
Printers
""")
    app("other", "neutral", "System Settings", """
Display Configuration — System Settings
Audio — System Settings
Power Management — System Settings
Colors & Themes — System Settings
""")
    app("other", "neutral", "Einstellungen", """
WLAN
Bildschirme
Klang
""", lang="de")
    app("other", "neutral", "Paramètres", """
Écrans
Son
""", lang="fr")
    app("other", "neutral", "Configuración", """
Pantallas
Sonido
""", lang="es")
    app("other", "neutral", "Impostazioni", """
Schermi
""", lang="it")
    app("other", "neutral", "Configurações", """
Telas
""", lang="pt")
    app("other", "neutral", "Instellingen", """
Beeldschermen
""", lang="nl")
    app("other", "neutral", "Ustawienia", """
Ekrany
""", lang="pl")
    app("other", "neutral", "Inställningar", """
Skärmar
""", lang="sv")
    app("other", "neutral", "設定", """
ディスプレイ
サウンド
""", lang="ja")
    app("other", "neutral", "设置", """
显示器
""", lang="zh")
    app("other", "neutral", "설정", """
디스플레이
""", lang="ko")
    app("other", "neutral", "Параметры", """
Дисплеи
""", lang="ru")
    app("other", "neutral", "Ayarlar", """
Ekranlar
""", lang="tr")

    # File managers: the window is named after the folder.
    app("work", "neutral", "Files", """
ingest
Client assets – Emberwell
Invoices 2024
Deliverables
thesis
Marking – 9B
Contracts
raw-footage
""")
    app("other", "neutral", "Files", """
Home
Downloads
Pictures
Music
Trash
Recent
Other Locations
Holiday 2024
Screenshots
Desktop
""")
    app("work", "neutral", "Dolphin", """
projects — Dolphin
quote-engine — Dolphin
""")
    app("other", "neutral", "Dolphin", """
Downloads — Dolphin
Videos — Dolphin
""")
    app("work", "neutral", "Thunar", """
renders - Thunar
""")
    app("other", "neutral", "Thunar", """
Documents - Thunar
""")
    app("work", "neutral", "Nemo", """
exports
""")
    app("other", "neutral", "Nemo", """
Camera Uploads
""")
    app("work", "neutral", "Dateien", """
Angebote 2024
""", lang="de")
    app("other", "neutral", "Dateien", """
Urlaub Sylt
""", lang="de")
    app("work", "neutral", "Fichiers", """
Factures clients
""", lang="fr")
    app("other", "neutral", "Fichiers", """
Téléchargements
""", lang="fr")
    app("work", "neutral", "Archivos", """
Presupuestos
""", lang="es")
    app("other", "neutral", "Archivos", """
Descargas
""", lang="es")
    app("other", "neutral", "File", """
Scaricati
""", lang="it")
    app("work", "neutral", "Arquivos", """
Notas fiscais
""", lang="pt")
    app("other", "neutral", "Bestanden", """
Afbeeldingen
""", lang="nl")
    app("work", "neutral", "Pliki", """
Faktury
""", lang="pl")
    app("other", "neutral", "Filer", """
Hämtningar
""", lang="sv")
    app("work", "neutral", "ファイル", """
見積書
""", lang="ja")
    app("other", "neutral", "文件", """
下载
""", lang="zh")
    app("other", "neutral", "파일", """
사진
""", lang="ko")
    app("work", "neutral", "Файлы", """
Договоры
""", lang="ru")
    app("other", "neutral", "Dosyalar", """
İndirilenler
""", lang="tr")

    # Utilities.
    app("other", "neutral", "System Monitor", """
System Monitor
Processes
""")
    app("other", "neutral", "Calculator", """
Calculator
""")
    app("other", "neutral", "KCalc", """
KCalc
""")
    app("other", "neutral", "Software", """
Software
Updates
GNU Image Manipulation Program
""")
    app("other", "neutral", "Discover", """
Updates — Discover
""")
    app("other", "neutral", "Disks", """
Disks
""")
    app("other", "neutral", "Image Viewer", """
Screenshot From 2024-10-16 14-22-07.png
""")
    app("work", "neutral", "Image Viewer", """
whiteboard-sprint-planning.jpg
""")
    app("other", "neutral", "Loupe", """
IMG_20241012_153301.jpg
""")
    app("other", "neutral", "Gwenview", """
holiday_0012.jpg — Gwenview
""")
    app("other", "neutral", "Shotwell", """
Shotwell
""")
    app("work", "neutral", "Archive Manager", """
emberwell-assets-v3.zip
""")
    app("other", "neutral", "Ark", """
photos-iceland.tar.gz — Ark
""")
    app("other", "neutral", "Weather", """
Weather
""")
    app("other", "neutral", "Maps", """
Maps
""")
    app("work", "work", "Calendar", """
Calendar
""")
    app("work", "work", "KOrganizer", """
KOrganizer - Work calendar
""")
    app("other", "neutral", "KeePassXC", """
Passwords.kdbx - KeePassXC
Passwords.kdbx [Locked] - KeePassXC
""")
    app("work", "neutral", "KeePassXC", """
brightmoor-ops.kdbx - KeePassXC
brightmoor-ops.kdbx [Locked] - KeePassXC
""")
    app("other", "neutral", "Bitwarden", """
Bitwarden
""")
    app("other", "neutral", "1Password", """
1Password
""")
    app("other", "neutral", "Taschenrechner", """
Taschenrechner
""", lang="de")
    app("other", "neutral", "Systemüberwachung", """
Systemüberwachung
""", lang="de")
    app("other", "neutral", "Logiciels", """
Mises à jour
""", lang="fr")


# ---------------------------------------------------------------------------------------------
# More work: software


def more_software():
    web("work", "work", """
https://github.com/ferncloud/ingest/pull/1311 Retry budget: export Prometheus counters by priya-r · Pull Request #1311 · ferncloud/ingest
https://github.com/ferncloud/ingest/pull/1314/files Log dropped batches at warn level by tkowal · Pull Request #1314 · ferncloud/ingest
https://github.com/brightmoor/checkout-web/pull/2050 fix(a11y): announce cart updates to screen readers by danawhit · Pull Request #2050 · brightmoor/checkout-web
https://github.com/brightmoor/checkout-web/pull/2052 test: stabilise shipping step e2e by ekaya · Pull Request #2052 · brightmoor/checkout-web
https://github.com/brightmoor/ledger-api/pull/534 Add refund reason codes to the export by lbrandt · Pull Request #534 · brightmoor/ledger-api
https://github.com/brightmoor/mobile-app/pull/980 Upgrade React Native to 0.75 by kaoyama · Pull Request #980 · brightmoor/mobile-app
https://github.com/brightmoor/infra/pull/1131 Add budget alarms for the data account by omarhaddad · Pull Request #1131 · brightmoor/infra
https://github.com/tideline-db/tideline/pull/860 compaction: skip tombstone-only segments by tkowal · Pull Request #860 · tideline-db/tideline
https://github.com/vellum-ui/vellum/pull/3131 Select: restore focus to trigger on close by hlefevre · Pull Request #3131 · vellum-ui/vellum
https://github.com/kestrel-freight/route-planner/pull/155 Show driver breaks on the timeline by jonasvik · Pull Request #155 · kestrel-freight/route-planner
https://github.com/pinecrest/etl/pull/220 Move currency rates to a daily snapshot table by elinholm · Pull Request #220 · pinecrest/etl
https://github.com/orbitkit/orbit-cli/pull/410 Support SSH certificates by ekaya · Pull Request #410 · orbitkit/orbit-cli
https://github.com/saltmarsh/render-farm/pull/41 Retry failed frames once before failing the job by rcarvalho · Pull Request #41 · saltmarsh/render-farm
https://github.com/ferncloud/tidepool/issues/60 Tide times off by an hour after DST change · Issue #60 · ferncloud/tidepool
https://github.com/brightmoor/checkout-web/issues/2048 Address autocomplete returns nothing for Irish Eircodes · Issue #2048 · brightmoor/checkout-web
https://github.com/brightmoor/ledger-api/issues/533 Payout CSV has a BOM that breaks the bank import · Issue #533 · brightmoor/ledger-api
https://github.com/tideline-db/tideline/issues/858 Panic on reopen after disk-full error · Issue #858 · tideline-db/tideline
https://github.com/orbitkit/orbit-cli/issues/409 Config file not found when run from a symlinked directory · Issue #409 · orbitkit/orbit-cli
https://github.com/vellum-ui/vellum/issues/3127 Docs: Tabs example missing keyboard handling · Issue #3127 · vellum-ui/vellum
https://github.com/saltmarsh/render-farm/issues/33 Add a dashboard of queue wait times · Issue #33 · saltmarsh/render-farm
https://github.com/ferncloud/ingest/milestone/14 Milestone 0.19 · ferncloud/ingest
https://github.com/ferncloud/ingest/labels/good%20first%20issue Issues · ferncloud/ingest · good first issue
https://github.com/ferncloud/ingest/network/dependencies Dependency graph · ferncloud/ingest
https://github.com/ferncloud/ingest/pulse Pulse · ferncloud/ingest
https://github.com/brightmoor/checkout-web/deployments Deployments · brightmoor/checkout-web
https://github.com/brightmoor/ledger-api/security/advisories Security advisories · brightmoor/ledger-api
https://github.com/codespaces Your codespaces
https://gist.github.com/nmarsh/{h}{h} backfill_payouts.sql · GitHub
https://gitlab.com/orchard-labs/ledger/-/merge_requests/858 Fix rounding of partial refunds (!858) · Merge requests · Orchard Labs / Ledger · GitLab
https://gitlab.com/orchard-labs/field-app/-/merge_requests/96 Sync queue: drop duplicates on retry (!96) · Merge requests · Orchard Labs / Field App · GitLab
https://gitlab.com/orchard-labs/field-app/-/pipelines/1190211 Pipeline #1190211 · Orchard Labs / Field App · GitLab
https://gitlab.com/orchard-labs/ledger/-/milestones/12 Release 3.4 · Milestones · Orchard Labs / Ledger · GitLab
https://bitbucket.org/marlowprint/quote-engine/pull-requests/219/diff Pull request #219: Round quotes to the nearest 50p — Bitbucket
https://codeberg.org/fieldnotes/fieldnotes/releases Releases - fieldnotes - Codeberg.org
https://dev.azure.com/northgate/Payroll/_wiki/wikis/Payroll.wiki/12/Year-end-checklist Year-end checklist - Wiki
https://stackoverflow.com/questions/72211987/how-to-mock-datetime-now-in-pytest python - How to mock datetime.now() in pytest - Stack Overflow
https://stackoverflow.com/questions/69123566/css-sticky-header-not-working-inside-overflow-container css - position: sticky not working inside an overflow container - Stack Overflow
https://stackoverflow.com/questions/71567742/terraform-for-each-with-a-list-of-objects terraform - for_each with a list of objects - Stack Overflow
https://stackoverflow.com/questions/70899123/qt-qml-listview-not-updating-when-model-changes qt - QML ListView not updating when the model changes - Stack Overflow
https://stackoverflow.com/questions/73456012/how-to-get-the-last-day-of-the-month-in-sql-server sql-server - How to get the last day of the month - Stack Overflow
https://stackoverflow.com/questions/68012776/android-webview-file-upload-not-working android - WebView file upload not working - Stack Overflow
https://stackoverflow.com/questions/74320901/golang-json-unmarshal-into-interface-slice go - json.Unmarshal into a slice of interfaces - Stack Overflow
https://stackoverflow.com/questions/70788231/excel-formula-to-count-unique-values-with-criteria excel formula - Count unique values with criteria - Stack Overflow
https://stackoverflow.com/questions/72900344/vba-save-each-sheet-as-separate-pdf excel - VBA: save each sheet as a separate PDF - Stack Overflow
https://stackoverflow.com/questions/69451120/numpy-where-with-multiple-conditions python - numpy.where with multiple conditions - Stack Overflow
https://docs.python.org/3/library/logging.html logging — Logging facility for Python — Python 3.12.4 documentation
https://docs.python.org/3/library/csv.html csv — CSV File Reading and Writing — Python 3.12.4 documentation
https://docs.python.org/3/library/unittest.mock.html unittest.mock — mock object library — Python 3.12.4 documentation
https://doc.rust-lang.org/std/sync/struct.Arc.html Arc in std::sync - Rust
https://doc.rust-lang.org/book/ch09-02-recoverable-errors-with-result.html Recoverable Errors with Result - The Rust Programming Language
https://en.cppreference.com/w/cpp/chrono/duration std::chrono::duration - cppreference.com
https://en.cppreference.com/w/cpp/string/basic_string_view std::basic_string_view - cppreference.com
https://developer.mozilla.org/en-US/docs/Web/CSS/position position - CSS: Cascading Style Sheets | MDN
https://developer.mozilla.org/en-US/docs/Web/API/Web_Storage_API Web Storage API - Web APIs | MDN
https://developer.mozilla.org/en-US/docs/Web/Accessibility/ARIA/Attributes/aria-live aria-live - Accessibility | MDN
https://doc.qt.io/qt-6/qtimer.html QTimer Class | Qt Core 6.7.2
https://doc.qt.io/qt-6/qml-qtquick-listview.html ListView QML Type | Qt Quick 6.7.2
https://registry.terraform.io/providers/hashicorp/aws/latest/docs/resources/budgets_budget aws_budgets_budget | Resources | hashicorp/aws | Terraform | Terraform Registry
https://docs.github.com/en/actions/using-workflows/caching-dependencies-to-speed-up-workflows Caching dependencies to speed up workflows - GitHub Docs
https://docs.gitlab.com/ee/ci/yaml/ CI/CD YAML syntax reference | GitLab
https://playwright.dev/docs/test-retries Retries | Playwright
https://jestjs.io/docs/mock-functions Mock Functions · Jest
https://tailwindcss.com/docs/grid-template-columns Grid Template Columns - Tailwind CSS
https://vitejs.dev/config/server-options Server Options | Vite
https://fastapi.tiangolo.com/tutorial/dependencies/ Dependencies - FastAPI
https://pandas.pydata.org/docs/reference/api/pandas.merge_asof.html pandas.merge_asof — pandas 2.2.3 documentation
https://numpy.org/doc/stable/reference/generated/numpy.where.html numpy.where — NumPy v2.1 Manual
https://scikit-learn.org/stable/modules/generated/sklearn.linear_model.LogisticRegression.html LogisticRegression — scikit-learn 1.5.2 documentation
https://www.sqlite.org/lang_upsert.html UPSERT
https://nginx.org/en/docs/http/ngx_http_proxy_module.html Module ngx_http_proxy_module
https://git-scm.com/docs/git-rebase Git - git-rebase Documentation
https://docs.ansible.com/ansible/latest/collections/ansible/builtin/template_module.html ansible.builtin.template module – Template a file out to a target host — Ansible Community Documentation
https://www.debian.org/doc/manuals/debian-reference/ch03.en.html Chapter 3. The system initialization
https://wiki.debian.org/UnattendedUpgrades UnattendedUpgrades - Debian Wiki
https://packages.debian.org/bookworm/libqt6core6 Debian -- Details of package libqt6core6 in bookworm
https://json-schema.org/understanding-json-schema/reference/conditionals Conditional schema validation
https://semver.org/ Semantic Versioning 2.0.0 | Semantic Versioning
https://www.rfc-editor.org/rfc/rfc9110.html RFC 9110: HTTP Semantics
https://crontab.guru/#*/15_9-17_*_*_1-5 Crontab.guru - The cron schedule expression generator
https://jwt.io/ JSON Web Tokens - jwt.io
https://www.postgresql.org/docs/16/explicit-locking.html PostgreSQL: Documentation: 16: 13.3. Explicit Locking
https://kubernetes.io/docs/concepts/configuration/secret/ Secrets | Kubernetes
https://aws.amazon.com/premiumsupport/knowledge-center/nat-gateway-high-costs/ Reduce NAT gateway data processing costs | AWS re:Post
https://sellercentral.amazon.com/orders-v3?page=1 Manage Orders
https://sellercentral.amazon.com/inventory?viewId=FBA Manage FBA Inventory
https://sellercentral.amazon.com/payments/dashboard Payments Dashboard
https://developer.spotify.com/documentation/web-api/reference/get-playlist Web API Reference | Spotify for Developers
https://developer.spotify.com/dashboard Dashboard | Spotify for Developers
https://app.datadoghq.com/logs?query=service%3Aingest%20status%3Aerror Log Explorer | Datadog
https://brightmoor.grafana.net/explore?orgId=1 Explore - Grafana
https://brightmoor.sentry.io/releases/checkout-web%402.9.0/ Release checkout-web@2.9.0 — Sentry
https://vercel.com/copperline/site/settings/domains Domains – site – Vercel
https://app.netlify.com/sites/tallow-reed-portfolio/configuration/env Environment variables | tallow-reed-portfolio | Netlify
https://devcenter.heroku.com/articles/config-vars Configuration and Config Vars | Heroku Dev Center
https://codesandbox.io/p/devbox/vellum-select-bug-{r} vellum-select-bug - CodeSandbox
https://replit.com/@mruiz/pricing-widget pricing-widget - Replit
https://grafana.com/docs/grafana/latest/alerting/ Alerting | Grafana documentation
https://azure.microsoft.com/en-gb/products/kubernetes-service Azure Kubernetes Service (AKS) | Microsoft Azure
https://www.pluralsight.com/paths/terraform Terraform Skill Path | Pluralsight
https://www.codecademy.com/learn/learn-typescript Learn TypeScript | Codecademy
https://app.grammarly.com/ddocs/2241873412 Client proposal – Emberwell - Grammarly
https://onedrive.live.com/edit.aspx?resid=4F2A1B0C9D8E7F6A!1204 Invoice tracker 2024.xlsx
https://www.office.com/launch/word Word | Microsoft 365
""")
    web("other", "entertainment", """
https://github.com/trending/javascript?since=daily Trending JavaScript repositories on GitHub today · GitHub
https://github.com/nmarsh?tab=stars Your Stars
https://news.ycombinator.com/item?id=41901122 The man who built a working computer out of Lego | Hacker News
""")
    app("work", "work", "Code", """
worker.ts - render-queue - Visual Studio Code
""")
    app("work", "work", "Visual Studio Code", """
ShippingStep.test.tsx - checkout-web - Visual Studio Code
export.py - ledger-api - Visual Studio Code
budgets.tf - infra - Visual Studio Code
● retry_budget.rs - ingest - Visual Studio Code
README.md - pricing-widget - Visual Studio Code
Extensions - Visual Studio Code
Problems - route-planner - Visual Studio Code
""")
    app("work", "work", "Emacs (GUI)", """
refunds.py - GNU Emacs at kestrel
""")
    app("work", "work", "Emacs (Client)", """
todo.org - GNU Emacs at brick
""")
    app("work", "work", "Vim", """
pricing.py + (~/src/quote-engine/quote) - VIM
""")
    app("work", "work", "Neovim-qt", """
retry_budget.rs - Neovim
""")
    app("work", "work", "Pluma", """
deploy-notes.txt (~/work) - Pluma
""")
    app("work", "work", "FeatherPad", """
config.ini - FeatherPad
""")
    app("work", "work", "Code::Blocks IDE", """
sensor_logger - Code::Blocks 20.03
""")
    app("work", "work", "Godot", """
Tiny Harbour - level_02.tscn - Godot Engine
""")
    app("work", "work", "Unreal Editor", """
HarbourVR - Unreal Editor
""")
    app("work", "work", "VirtualBox", """
Ubuntu 24.04 QA [Running] - Oracle VirtualBox
""")
    app("work", "work", "soffice", """
Quarterly forecast.xlsx - LibreOffice Calc
""")
    app("work", "work", "OBS", """
OBS 30.2.3 - Profile: Course - Scenes: Lesson 4
""")
    app("work", "work", "IntelliJ IDEA", """
route-planner – TimelineView.kt
""")
    app("work", "work", "PyCharm", """
etl – currency_rates.py
""")
    app("work", "work", "Android Studio", """
mobile-app – build.gradle (:app)
""")
    app("work", "work", "Qt Creator", """
plotwidget.cpp @ station-monitor - Qt Creator
""")
    app("work", "work", "RStudio", """
cohort_retention.qmd - RStudio
""")
    app("work", "work", "DBeaver", """
DBeaver 24.1.5 - <pinecrest-dw> currency_rates
""")
    app("work", "work", "Postman", """
Ledger v2 - List payouts - Postman
""")
    app("work", "work", "Wireshark", """
tls-handshake-staging.pcapng
""")
    names = ("gnome-terminal", "UXTerm", "Guake", "rxvt color unicode terminal", "Terminal",
             "Konsole", "kitty", "Alacritty", "Tilix", "Ptyxis", "WezTerm", "Console")
    apps("work", "work", names, """
nina@kestrel: ~/src/checkout-web
tkowal@brick: ~/src/tideline
ssh ops@db-01.brightmoor.internal
npm test -- --watch
cargo clippy --all-targets
docker logs -f ledger-api
helm upgrade ingest ./charts/ingest -n staging
python -m etl.currency_rates --date 2024-10-16
az aks get-credentials --name payroll-prod
gh pr checkout 2050
~/src/orbit-cli : go — Konsole
make test
""")


# ---------------------------------------------------------------------------------------------
# More work: offices, projects, people and trades


def more_office_work():
    app("work", "work", "LibreOffice Writer", """
Employee handbook 2025 draft.odt - LibreOffice Writer
Witness statement - J. Pereira.docx - LibreOffice Writer
Lesson plan - Year 9 electricity.odt - LibreOffice Writer
Discharge letter template.odt - LibreOffice Writer
Case study - Kestrel Freight.odt - LibreOffice Writer
Literature review - chapter 2.odt - LibreOffice Writer
Board minutes September.docx - LibreOffice Writer
Job description - warehouse supervisor.odt - LibreOffice Writer
Funding bid - community garden.odt - LibreOffice Writer
Untitled 3 - LibreOffice Writer
""")
    app("work", "work", "LibreOffice Calc", """
Cash flow forecast 2025.ods - LibreOffice Calc
Attendance register 9B.ods - LibreOffice Calc
Expenses October - N Marsh.xlsx - LibreOffice Calc
Inventory valuation FIFO.ods - LibreOffice Calc
Patient recall list - November.xlsx - LibreOffice Calc
Route costs per depot.ods - LibreOffice Calc
Grant budget - community garden.ods - LibreOffice Calc
Customer churn by cohort.csv - LibreOffice Calc
""")
    app("work", "work", "LibreOffice Impress", """
Parents' evening - Year 9.odp - LibreOffice Impress
Incident review 2024-10-03.odp - LibreOffice Impress
""")
    app("work", "work", "Document Viewer", """
employment-contract-template-2024.pdf — Document Viewer
bank-statement-business-sept.pdf — Document Viewer
""")
    app("work", "work", "Okular", """
iso-9001-audit-checklist.pdf — Okular
court-bundle-LV-2024-0412.pdf — Okular
""")
    app("work", "work", "Evince", """
exam-paper-physics-2023.pdf
dental-radiograph-report-000482.pdf
""")
    app("work", "work", "Obsidian", """
1-1 with Dana - work-vault - Obsidian v1.6.7
Incident 2024-10-03 timeline - work-vault - Obsidian v1.6.7
""")
    app("work", "work", "Zotero", """
Sea-level rise - My Library - Zotero
""")
    app("work", "work", "Calendar", """
Calendar — Week 43
""")
    web("work", "work", """
https://brightmoor.atlassian.net/browse/PAY-1440 [PAY-1440] Payout CSV has a BOM that breaks the bank import - Jira
https://brightmoor.atlassian.net/browse/WEB-897 [WEB-897] Announce cart updates to screen readers - Jira
https://brightmoor.atlassian.net/browse/OPS-318 [OPS-318] Budget alarms for the data account - Jira
https://brightmoor.atlassian.net/jira/software/projects/MOB/boards/9 MOB board - Agile board - Jira
https://brightmoor.atlassian.net/jira/plans/4/scenarios/4/timeline Q1 plan - Timeline - Jira
https://brightmoor.atlassian.net/wiki/spaces/ENG/pages/2633012/On-call+handbook On-call handbook - Engineering - Confluence
https://brightmoor.atlassian.net/wiki/spaces/PM/pages/2640221/Checkout+accessibility+audit Checkout accessibility audit - Product Management - Confluence
https://brightmoor.atlassian.net/wiki/spaces/HR/pages/1201331/Expenses+FAQ Expenses FAQ - People - Confluence
https://kestrelfreight.atlassian.net/browse/ROUTE-81 [ROUTE-81] Show driver breaks on the timeline - Jira
https://trello.com/c/Vw3xY5zA/121-grade-harbour-documentary-reel-2 121 Grade harbour documentary reel 2 on Saltmarsh Studio Productions | Trello
https://trello.com/b/Nc4dE6fG/year-9-science-planning Year 9 science planning | Trello
https://app.asana.com/0/1204418822/1207755399 Review homepage hero copy - Asana
https://app.asana.com/0/inbox/1201993 Inbox - Asana
https://copperline.monday.com/boards/1623450989/pulses/1700377 Emberwell Foods – social calendar - monday.com
https://app.clickup.com/t/86c0x3ab Update pricing page FAQ | ClickUp
https://linear.app/ferncloud/issue/ING-431/log-dropped-batches-at-warn-level ING-431 Log dropped batches at warn level
https://linear.app/ferncloud/inbox Inbox
https://www.notion.so/ferncloud/Postmortem-ingest-stall-2024-10-09-5a4b3c2d1e0f Postmortem: ingest stall 2024-10-09
https://www.notion.so/tallowreed/Mood-board-Emberwell-8c7b6a594837 Mood board: Emberwell
https://www.notion.so/wrenfield/Department-meeting-notes-3e2d1c0b9a88 Department meeting notes
https://airtable.com/appR2x9Kq1/tblLm0Z3/viwC6Zu3 Shoot schedule: Calendar - Airtable
https://miro.com/app/board/uXjVN4q8Uy2=/ Q1 roadmap planning, Online Whiteboard for Visual Collaboration
https://app.todoist.com/app/upcoming Upcoming – Todoist
https://calendly.com/app/availability/schedules Availability | Calendly
https://calendar.google.com/calendar/u/1/r/month Google Calendar - October 2024
https://outlook.office.com/calendar/view/day Calendar - Dana Whitfield - Outlook
https://docs.google.com/document/d/1Fg8vX0zB2dF4hJ6lN8pR0tV2xZ4bD6fH/edit Postmortem – ingest stall 9 Oct - Google Docs
https://docs.google.com/document/d/1Gh9wY1aC3eG5iK7mO9qS1uW3yA5cE7gI/edit Offer letter – data engineer - Google Docs
https://docs.google.com/spreadsheets/d/1Hi0xZ2bD4fH6jL8nP0rT2vX4zB6dF8hJ/edit Hiring tracker 2024 - Google Sheets
https://docs.google.com/spreadsheets/d/1Ij1yA3cE5gI7kM9oQ1sU3wY5aC7eG9iK/edit Refund reasons – weekly - Google Sheets
https://docs.google.com/presentation/d/1Jk2zB4dF6hJ8lN0pR2tV4xZ6bD8fH0jL/edit Year 9 electricity – lesson 3 - Google Slides
https://drive.google.com/drive/folders/1Kl3aC5eG7iK9mO1qS3uW5yA7cE9gI1kM Year 9 Science - Google Drive
https://northgate.sharepoint.com/sites/Audit/Shared%20Documents/Emberwell%20FY24 Emberwell FY24 - Documents - All Documents
https://www.overleaf.com/project/66fa1b2c3d4e5f6071829304 Coastal Lab annual report 2024 - Online LaTeX Editor Overleaf
https://brightmoor.zendesk.com/agent/tickets/48252 Charged twice for one order – Ticket #48252 – Brightmoor Support
https://brightmoor.zendesk.com/agent/tickets/48260 How do I change my delivery address? – Ticket #48260 – Brightmoor Support
https://brightmoor.zendesk.com/agent/tickets/48266 Promo code not accepted – Ticket #48266 – Brightmoor Support
https://brightmoor.zendesk.com/agent/views/360002214 Unassigned tickets – Brightmoor Support
https://copperline.freshdesk.com/a/tickets/3310 Video export fails at 90% : Copperline Support
https://brightmoor.lightning.force.com/lightning/r/Opportunity/0068d00000By3RAAR/view Harbour Cranes – pilot | Opportunity | Salesforce
https://brightmoor.lightning.force.com/lightning/r/Contact/0038d00000Tz6UAAR/view Nadia Okafor | Contact | Salesforce
https://brightmoor.lightning.force.com/lightning/o/Opportunity/list?filterName=Closing_This_Month Closing This Month | Opportunities | Salesforce
https://app.hubspot.com/contacts/22113344/record/0-1/55012233 Ines Calder | Contact | HubSpot
https://app.hubspot.com/sales/22113344/deals/board/view/all/ Deals | HubSpot
https://app.hubspot.com/meetings/22113344 Meetings | HubSpot
https://dashboard.stripe.com/balance/payouts Payouts – Brightmoor – Stripe
https://dashboard.stripe.com/customers/cus_QxY7zA2bC4d Customer – Brightmoor – Stripe
https://admin.shopify.com/store/tallow-reed/orders/5512233445 Order #1042 · Tallow & Reed · Shopify
https://admin.shopify.com/store/tallow-reed/discounts Discounts · Tallow & Reed · Shopify
https://www.xero.com/app/bills Bills to pay | Northgate Accounting | Xero
https://go.xero.com/Reports/Report.aspx?reportId=balance-sheet Balance Sheet | Xero
https://wd3.myworkday.com/northgate/d/task/2997$4462.htmld Submit Expense Report - Workday
https://www.linkedin.com/talent/hire/22113344/manage/all Projects – Data engineer | LinkedIn Talent
https://www.linkedin.com/campaignmanager/accounts/50812233/campaigns Campaigns | Campaign Manager
https://business.facebook.com/latest/inbox/all Inbox | Meta Business Suite
https://ehr.halcyondental.co.uk/patients/000517/treatment-plan Treatment plan – Patient 000517 – Halcyon Dental Records
https://ehr.halcyondental.co.uk/reports/daily-takings Daily takings – Halcyon Dental Records
https://portal.juniperbayhealth.org/handover/ward-6 Ward 6 handover – Juniper Bay Health Staff Portal
https://bnf.nice.org.uk/drugs/metronidazole/ Metronidazole | Drugs | BNF | NICE
https://www.gmc-uk.org/professional-standards/the-professional-standards/good-medical-practice Good medical practice - GMC
https://larkspurvane.imanage.work/work/link/d/ACTIVE!4412301.1 Disclosure list – Kestrel v Harbour Cranes - iManage Work
https://www.legislation.gov.uk/ukpga/2015/15/section/9 Consumer Rights Act 2015, Section 9
https://www.lexisnexis.co.uk/legal/guidance/limitation-of-liability-clauses Limitation of liability clauses - Practical Guidance - LexisNexis
https://learn.wrenfield.ac.uk/mod/forum/view.php?id=22950 Year 9 Science – Questions forum | Wrenfield Learn
https://learn.wrenfield.ac.uk/grade/report/grader/index.php?id=412 Grader report | Year 9 Science | Wrenfield Learn
https://classroom.google.com/c/NjQ4MjExMzQ0/a/Njk0MTIyMzM0/submissions/by-status/and-sort-name/all Electricity quiz – Student work - Google Classroom
https://www.tes.com/teaching-resource/year-9-electricity-circuits-12{n} Year 9 electricity circuits | Teaching Resources
https://www.aqa.org.uk/subjects/science/gcse/combined-science-trilogy-8464/assessment-resources AQA | GCSE Combined Science: Trilogy | Assessment resources
https://arxiv.org/abs/2409.11872 [2409.11872] Few-Shot Activity Classification from Window Titles
https://arxiv.org/abs/2407.05518 [2407.05518] Storm Surge Forecasting with Graph Neural Networks
https://pubmed.ncbi.nlm.nih.gov/?term=chlorhexidine+mouthwash+staining chlorhexidine mouthwash staining - Search Results - PubMed
https://scholar.google.com/scholar?q=interruptions+knowledge+workers+recovery+time interruptions knowledge workers recovery time - Google Scholar
https://www.researchgate.net/publication/379912233_Beach_profile_monitoring_with_drones (PDF) Beach profile monitoring with drones
https://link.springer.com/article/10.1007/s11069-024-06512-3 Compound flood risk in estuarine towns | Natural Hazards
https://ieeexplore.ieee.org/document/10512234 Energy-Aware Scheduling for Edge Sensor Networks | IEEE Conference Publication | IEEE Xplore
https://dl.acm.org/doi/10.1145/3639478.3640030 Reviewing Large Pull Requests: Strategies and Costs | Proceedings of the ACM on Software Engineering
https://www.jstor.org/stable/10.2307/2{n} Harbour Trade and Urban Growth, 1750–1850 on JSTOR
https://www.sciencedirect.com/science/article/pii/S0378383924001{n} Wave overtopping at vertical seawalls - ScienceDirect
https://www.figma.com/design/Kl9Mt5Uw1Ya3Cd7Fg9Mn/Checkout-a11y-fixes Checkout a11y fixes – Figma
https://www.canva.com/design/DAGh5sX3uQa/edit Harbour Runners – race poster (client)
https://app.diagrams.net/#G1cD3eF5gH7iJ9kL1mN3oP5qR7 payroll-dataflow.drawio - diagrams.net
""")
    app("work", "communication", "Thunderbird", """
Re: Disclosure deadline – Kestrel v Harbour Cranes - Mozilla Thunderbird
Re: Year 9 trip risk assessment - Mozilla Thunderbird
[tideline-db/tideline] compaction: skip tombstone-only segments (PR #860) - Mozilla Thunderbird
Invoice INV-0921 from Saltmarsh Studio - Mozilla Thunderbird
Re: Lab results for patient 000517 - Mozilla Thunderbird
""")
    app("work", "communication", "Slack", """
checkout-a11y (Channel) - Brightmoor - Slack
Priya Raman (DM) - Ferncloud - Slack
data-eng (Channel) - Pinecrest - Slack
Huddle: incident review - Brightmoor - Slack
""")
    app("work", "communication", "Microsoft Teams", """
Audit planning (Emberwell FY24) | Microsoft Teams
Chat | Dana Whitfield, Omar Haddad | Microsoft Teams
""")
    app("work", "communication", "Zoom", """
Parents' evening - Zoom
Client workshop – Lyon - Zoom
""")
    web("work", "communication", """
https://mail.google.com/mail/u/1/#inbox/FMfcgzQXKhBcGqSwQxNbViOxPeCrDgUv Offer accepted – data engineer - nina.marsh@brightmoor.io - Brightmoor Mail
https://mail.google.com/mail/u/1/#drafts Drafts - nina.marsh@brightmoor.io - Brightmoor Mail
https://outlook.office.com/mail/inbox/id/AAQkADNlYzQ5MzAt Re: FY24 audit fieldwork – Emberwell - Omar Haddad - Outlook
https://app.slack.com/client/T02BRGHTM/C03CHKA11Y checkout-a11y (Channel) - Brightmoor - Slack
https://teams.microsoft.com/v2/?chat=19:meeting Year-end close stand-up | Microsoft Teams
https://meet.google.com/hwe-qpzt-nbd Meet – 1:1 Nina / Dana
https://meet.google.com/kfr-mxuv-yat Meet – Interview: data engineer (round 2)
https://zoom.us/j/95512233440 Zoom Meeting – Coastal Lab weekly
https://whereby.com/coastal-lab Coastal Lab | Whereby
""")


def more_foreign_work():
    web("work", "work", """
https://brunnhofer.atlassian.net/browse/LAG-221 [LAG-221] Kommissionierliste nach Lagerplatz sortieren - Jira
https://brunnhofer.atlassian.net/wiki/spaces/VER/pages/901233/Preisliste+2025+Freigabe Preisliste 2025 Freigabe - Vertrieb - Confluence
https://github.com/brunnhofer/angebotsrechner/issues/21 Mehrwertsteuer bei Auslandskunden falsch berechnet · Issue #21 · brunnhofer/angebotsrechner
https://docs.google.com/presentation/d/1Lm4bD6fH8jL0nP2rT4vX6zB8dF0hJ2lN/edit Vertriebsmeeting Q4 - Google Präsentationen
https://docs.google.com/document/d/1Mn5cE7gI9kM1oQ3sU5wY7aC9eG1iK3mO/edit Stellenausschreibung Lagerist (m/w/d) - Google Docs
https://www.personio.de/ Mitarbeitende – Personio
https://www.ihk.de/themen/ausbildung Ausbildung | IHK
https://www.heise.de/ratgeber/PostgreSQL-Indizes-richtig-einsetzen-9887766.html PostgreSQL-Indizes richtig einsetzen | heise online
""", lang="de")
    app("work", "work", "LibreOffice Writer", """
Arbeitsvertrag Vorlage 2025.odt - LibreOffice Writer
Lieferschein 2024-1188.odt - LibreOffice Writer
""", lang="de")
    app("work", "work", "LibreOffice Calc", """
Reisekostenabrechnung Oktober.ods - LibreOffice Calc
""", lang="de")
    app("work", "communication", "Thunderbird", """
AW: Lieferverzug Artikel 44120 - Mozilla Thunderbird
Einladung: Jahresgespräch 2024 - Mozilla Thunderbird
""", lang="de")
    app("work", "communication", "Slack", """
einkauf (Kanal) - Brunnhofer - Slack
Jonas Vik (Direktnachricht) - Brunnhofer - Slack
""", lang="de")
    app("work", "neutral", "Dateien", """
Lieferscheine
""", lang="de")
    web("work", "work", """
https://atelierlunel.atlassian.net/browse/CAT-64 [CAT-64] Ajouter la taille XXS au configurateur - Jira
https://docs.google.com/spreadsheets/d/1No6dF8hJ0lN2pR4tV6xZ8bD0fH2jL4nP/edit Inventaire boutique de Lyon - Google Sheets
https://www.notion.so/atelierlunel/Fiche-produit-manteau-laine-9b8a7c6d5e4f Fiche produit : manteau en laine
https://www.urssaf.fr/accueil/employeur/cotisations.html Cotisations employeur | Urssaf
https://www.service-public.fr/professionnels-entreprises/vosdroits/F31808 Facture : mentions obligatoires | Entreprendre.Service-Public.fr
""", lang="fr")
    app("work", "work", "LibreOffice Writer", """
Conditions générales de vente 2025.odt - LibreOffice Writer
""", lang="fr")
    app("work", "communication", "Thunderbird", """
RE: Échantillons tissu pour la collection été - Mozilla Thunderbird
""", lang="fr")
    app("work", "communication", "Slack", """
atelier (Canal) - Atelier Lunel - Slack
""", lang="fr")
    web("work", "work", """
https://github.com/ferreteria-solano/inventario/issues/41 Los precios con descuento no se redondean bien · Issue #41 · ferreteria-solano/inventario
https://docs.google.com/document/d/1Op7eG9iK1mO3qS5uW7yA9cE1gI3kM5oQ/edit Manual de procedimientos del almacén - Documentos de Google
https://www.notion.so/solano/Reunion-semanal-de-ventas-1a2b3c4d5e6f Reunión semanal de ventas
https://www.seg-social.es/wps/portal/wss/internet/Empresarios Empresarios - Seguridad Social
""", lang="es")
    app("work", "work", "LibreOffice Calc", """
Pedidos proveedores diciembre.ods - LibreOffice Calc
""", lang="es")
    app("work", "communication", "Thunderbird", """
RE: Factura pendiente de pago nº 2024-0412 - Mozilla Thunderbird
""", lang="es")
    web("work", "work", """
https://roveda.atlassian.net/browse/PRD-77 [PRD-77] Aggiornare la distinta base del modello R-40 - Jira
https://docs.google.com/document/d/1Pq8fH0jL2nP4rT6vX8zB0dF2hJ4lN6pR/edit Procedura di sicurezza reparto saldatura - Documenti Google
https://www.inps.it/it/it/dati-e-bilanci.html Dati e bilanci - INPS
""", lang="it")
    app("work", "communication", "Thunderbird", """
R: Ordine acciaio inox - conferma - Mozilla Thunderbird
""", lang="it")
    web("work", "work", """
https://docs.google.com/document/d/1Qr9gI1kM3oQ5sU7wY9aC1eG3iK5mO7qS/edit Caderno de encargos – moradia Sintra - Documentos Google
https://vasconcelos.pipedrive.com/pipeline/1 Funil de vendas – Pipedrive
https://www.portaldasfinancas.gov.pt/at/html/index.html Portal das Finanças
""", lang="pt")
    app("work", "work", "LibreOffice Calc", """
Mapa de quantidades – moradia Sintra.ods - LibreOffice Calc
""", lang="pt")
    web("work", "work", """
https://vandalenbouw.monday.com/boards/1802234455/pulses/1900122 Kerkstraat 12 – oplevering - monday.com
https://docs.google.com/document/d/1Rs0hJ2lN4pR6tV8xZ0bD2fH4jL6nP8rT/edit Werkplanning januari - Google Documenten
""", lang="nl")
    app("work", "communication", "Slack", """
uitvoering (Kanaal) - Van Dalen Bouw - Slack
""", lang="nl")
    web("work", "work", """
https://zielonymlyn.atlassian.net/browse/SKL-93 [SKL-93] Raport sprzedaży według regionów - Jira
https://www.podatki.gov.pl/vat/ VAT - Podatki.gov.pl
""", lang="pl")
    app("work", "work", "LibreOffice Writer", """
Protokół odbioru dostawy.odt - LibreOffice Writer
""", lang="pl")
    web("work", "work", """
https://bjorkvik.atlassian.net/browse/WEB-40 [WEB-40] Ny startsida för kundportalen - Jira
https://docs.google.com/document/d/1St1iK3mO5qS7uW9yA1cE3gI5kM7oQ9sU/edit Projektplan kundportal - Google Dokument
""", lang="sv")
    app("work", "communication", "Thunderbird", """
SV: Möte om budget för 2025 - Mozilla Thunderbird
""", lang="sv")
    web("work", "work", """
https://github.com/minato-seiki/line-monitor/pull/75 稼働率グラフに週次集計を追加 by kaoyama · Pull Request #75 · minato-seiki/line-monitor
https://qiita.com/kaoyama/items/{h}{h} PythonでExcel帳票を自動生成する方法 - Qiita
https://zenn.dev/minato/articles/{h}{r} Docker Composeで社内開発環境を統一した話
https://minatoseiki.cybozu.com/k/15/ 不具合報告 - kintone
""", lang="ja")
    app("work", "work", "LibreOffice Calc", """
生産計画_2024年11月.ods - LibreOffice Calc
""", lang="ja")
    app("work", "communication", "Slack", """
開発チーム (チャンネル) - みなと精機 - Slack
""", lang="ja")
    web("work", "work", """
https://gitee.com/qingheai/report-service/issues/I9XK2Q 报表导出超时 · Issue #I9XK2Q · 青禾科技/report-service - Gitee.com
https://blog.csdn.net/meilin_dev/article/details/1{n} Spring Boot 中实现分页查询的几种方式_CSDN博客
https://www.runoob.com/python3/python3-tutorial.html Python3 教程 | 菜鸟教程
https://qingheai.feishu.cn/sheets/Zx8NtR4pLm2Q 2025年项目排期 - 飞书云文档
""", lang="zh")
    app("work", "communication", "Thunderbird", """
回复: 合同草案第三版 - Mozilla Thunderbird
""", lang="zh")
    web("work", "work", """
https://velog.io/@jiwoo/리액트-상태관리-정리 리액트 상태관리 정리 - velog
https://choroksup.atlassian.net/browse/MKT-12 [MKT-12] 신제품 출시 보도자료 작성 - Jira
""", lang="ko")
    app("work", "communication", "Slack", """
마케팅 (채널) - 초록숲랩 - Slack
""", lang="ko")
    web("work", "work", """
https://habr.com/ru/articles/8{n}/ Как мы ускорили сборку проекта в три раза / Хабр
https://severveter.bitrix24.ru/workgroups/group/12/tasks/ Задачи — Склад — Битрикс24
""", lang="ru")
    app("work", "work", "LibreOffice Writer", """
Акт выполненных работ №112.odt - LibreOffice Writer
""", lang="ru")
    web("work", "work", """
https://github.com/kuzey-yazilim/fatura-servisi/issues/18 e-Fatura XML doğrulama hatası · Issue #18 · kuzey-yazilim/fatura-servisi
https://docs.google.com/document/d/1Tu2jL4nP6rT8vX0zB2dF4hJ6lN8pR0tV/edit Proje teklifi – lojistik portalı - Google Dokümanlar
""", lang="tr")
    app("work", "communication", "Slack", """
geliştirme (Kanal) - Kuzey Yazılım - Slack
""", lang="tr")


# ---------------------------------------------------------------------------------------------
# More leisure: a second helping of videos, series, music and players


def more_video_and_music():
    youtube("other", "entertainment", """
Official Music Video – Tidal Bloom “Midnight Ferry”
Maren Ives – Harbour Lights (Live at the Old Mill)
The Quiet Tides – Paper Boats (Lyric Video)
Let's Play Lantern Valley #12 – The Flooded Mine
Lantern Valley Full Walkthrough Episode 3 (No Commentary)
I Played 100 Days of Hardcore Survival
This Puzzle Game Broke My Brain
Every Boss Ranked from Easiest to Hardest
Top 20 Hidden Details in Frost Road
Frost Road Ending Explained
Lantern Keepers Season 2 Recap in 10 Minutes
Why Everyone Is Talking About This Anime
Cooking Japanese Street Food at Home
Restaurant-Style Scrambled Eggs Three Ways
3 Easy Weeknight Dinners Under £5
Sourdough for Lazy People
How to Grow Tomatoes on a Balcony
Allotment Tour – October Harvest
Restoring a Victorian Door with Hand Tools
Building a Bookshelf from Reclaimed Pallets
We Bought the Cheapest House in the Village
Van Life: A Week Alone in the Highlands
Hiking the Tour du Mont Blanc in 7 Days
Cycling Across the Netherlands on a Folding Bike
Train Journey Through the Swiss Alps in 4K
Walking Tour of Old Town Porto at Night
Scuba Diving with Manta Rays
Behind the Scenes at a Chocolate Factory
How Fireworks Get Their Colours
The Strangest Animals in the Deep Sea
What If the Moon Disappeared?
Why Are There No Giant Insects Today?
The Story of the World's Longest Bridge
Museum Heist: How They Pulled It Off
Unsolved Mystery of the Lighthouse Keepers
True Crime Tuesday: The Vanishing at Harbour Road
Reacting to Our Old Holiday Videos
Our Baby's First Trip to the Beach
Surprising My Best Friend After 5 Years
Pranking My Roommate with a Fake Spider
My Dog Meets a Hedgehog
Cute Otters Holding Hands Compilation
Parrot Sings Along to Classic Rock
Kitten vs Laser Pointer – Round 2
Relaxing Aquarium Screensaver 10 Hours
Fireplace with Crackling Sounds – 8 Hours
Piano Covers of Film Themes – 2 Hour Mix
Acoustic Guitar Cover of Paper Boats
Drum Cam: Playing Along to Midnight Ferry
Learn to Juggle in 10 Minutes
Magic Trick Revealed: The Floating Card
Stand-Up Comedy: The Self-Checkout Machine
Sketch: When Your Mum Discovers Video Calls
Late Show Monologue – Tuesday
Quiz Show Bloopers Compilation
Kids Try Foods from Around the World
Cartoon Marathon: Season 1 Episodes 1–5
Nursery Rhymes Collection for Toddlers
Lego Technic Supercar Speed Build
Retro Console Unboxing from 1994
Building the Ultimate Budget Gaming PC
Mechanical Keyboard Sound Test – 12 Switches
Car Review: The New Electric Hatchback
Supercar Spotting in Monaco
Motorbike Trip Along the Atlantic Coast
Football Skills Tutorial: The Elastico
Top 50 Goals of the Season
Rugby World Cup Best Tries
Tennis Final Extended Highlights
Marathon Finish Line Emotional Moments
Boxing Press Conference Gets Heated
Golf Trick Shots with My Dad
Wimbledon Classic Match Replay
Fantasy Football Gameweek 9 Tips
Chess Drama: The Blunder Heard Around the World
Tier List of Every Fast Food Burger
Spending 24 Hours in an Airport Lounge
Testing Cheap vs Expensive Headphones
I Lived Like a Medieval Peasant for a Week
Makeover: Turning My Garage into a Cinema
""")
    web("other", "entertainment", """
https://www.netflix.com/title/81{n}{h} Crown of Salt | Netflix Official Site
https://www.netflix.com/title/80{n}{h} Midnight Bakery | Netflix Official Site
https://www.netflix.com/browse/genre/83 TV Shows - Netflix
https://www.netflix.com/browse/genre/34399 Movies - Netflix
https://www.netflix.com/latest New & Popular - Netflix
https://www.netflix.com/YourAccount Account - Netflix
https://www.primevideo.com/detail/0{r}{r}{h}/ Watch Harbour Patrol | Prime Video
https://www.primevideo.com/search/ref=atv_nb_sug?phrase=comedy Prime Video: comedy
https://www.primevideo.com/storefront/movie/ Prime Video: Movies
https://www.disneyplus.com/browse/entity-{u} Disney+ | The Clockwork Garden
https://www.disneyplus.com/watchlist Disney+ | Watchlist
https://www.hulu.com/series/harbour-nights-{u} Harbour Nights | Hulu
https://www.hulu.com/hub/movies Movies - Hulu
https://play.max.com/movie/{u} Iron Valley: The Movie • Max
https://play.max.com/ Max | Home
https://tv.apple.com/gb/movie/the-last-lighthouse/umc.cmc.{r}{h} The Last Lighthouse - Apple TV+
https://www.crunchyroll.com/watch/G{h}/the-long-flight Watch Skyward Couriers Episode 8 - The Long Flight - Crunchyroll
https://www.crunchyroll.com/videos/new Newly Added Anime - Crunchyroll
https://www.twitch.tv/moonbasecomics moonbasecomics - Twitch
https://www.twitch.tv/directory/category/chess Chess - Twitch
https://www.twitch.tv/directory/following Following - Twitch
https://www.twitch.tv/pixelbakes/clip/{r}{h} Pixelbakes - the cake collapses - Twitch
https://www.dailymotion.com/video/x8{h} Funniest Cat Moments of 2024 - video Dailymotion
https://www.ted.com/talks/amir_qasim_what_octopuses_teach_us_about_play Amir Qasim: What octopuses teach us about play | TED Talk
https://www.ted.com/playlists/171/the_most_popular_talks_of_all The most popular TED Talks of all time | TED
https://www.imdb.com/title/tt3{n}/ Frost Road (2024) - IMDb
https://www.imdb.com/title/tt4{n}/episodes/?season=2 The Lantern Keepers (TV Series 2023– ) - Episode list - IMDb
https://www.imdb.com/calendar/ Upcoming Releases - IMDb
https://www.rottentomatoes.com/tv/the_lantern_keepers/s02 The Lantern Keepers: Season 2 | Rotten Tomatoes
https://letterboxd.com/films/popular/this/week/ Popular films this week • Letterboxd
https://myanimelist.net/topanime.php Top Anime - MyAnimeList.net
https://www.webtoons.com/en/romance/harbour-hearts/list?title_no=3{n} Harbour Hearts | WEBTOON
https://www.goodreads.com/choiceawards/best-books-2024 Goodreads Choice Awards 2024
https://xkcd.com/ xkcd: A webcomic of romance, sarcasm, math, and language
https://tvtropes.org/pmwiki/pmwiki.php/Series/TheLanternKeepers The Lantern Keepers (Series) - TV Tropes
https://www.boredpanda.com/unexpected-animal-friendships/ 40 Unexpected Animal Friendships | Bored Panda
https://archiveofourown.org/tags/The%20Lantern%20Keepers/works The Lantern Keepers - Works | Archive of Our Own
https://www.justwatch.com/uk/tv-show/the-lantern-keepers The Lantern Keepers - watch tv show streaming online
""")
    web("other", "neutral", """
https://open.spotify.com/search/jazz%20for%20cooking Spotify – Search
https://open.spotify.com/artist/{r}{r}{r}{h} Maren Ives | Spotify
https://open.spotify.com/episode/{r}{h}{r} Episode 215: Why Cats Purr - Low Orbit Radio | Podcast on Spotify
https://music.youtube.com/channel/UC{r}{r}{h} Tidal Bloom - YouTube Music
https://music.youtube.com/explore Explore - YouTube Music
https://music.apple.com/gb/playlist/todays-hits/pl.{h}{h} Today's Hits - Apple Music
https://soundcloud.com/you/likes Your likes on SoundCloud
https://soundcloud.com/harbourdj/sunday-sunset-mix Stream Sunday Sunset Mix by Harbour DJ | Listen online for free on SoundCloud
https://northernstatic.bandcamp.com/track/glass-river Glass River | Northern Static
https://www.last.fm/user/nmarsh_listens/library Library | nmarsh_listens | Last.fm
https://www.bbc.co.uk/sounds/play/live:bbc_radio_fourfm BBC Radio 4 - Live - BBC Sounds
https://www.audible.co.uk/library/titles Library | Audible.co.uk
https://tunein.com/radio/Jazz-FM-s8{n}/ Jazz FM | Listen Online | TuneIn
https://www.mixcloud.com/harbourdj/late-night-grooves/ Late Night Grooves by Harbour DJ | Mixcloud
""")
    app("other", "neutral", "Spotify", """
Tidal Bloom - Midnight Ferry
Northern Static - Glass River
Release Radar
On Repeat
Peaceful Piano
Sunday Morning Coffee
Your Top Songs 2024
""")
    app("other", "neutral", "Rhythmbox", """
Glass River - Northern Static
Jazz FM — Internet Radio
""")
    app("other", "neutral", "Elisa", """
Coastlines — Tidal Bloom — Elisa
""")
    app("other", "neutral", "Strawberry", """
Maren Ives - Salt Road - Strawberry Music Player
""")
    app("other", "neutral", "Podcasts", """
Low Orbit Radio
""")
    app("other", "entertainment", "VLC media player", """
Skyward.Couriers.E08.mkv - VLC media player
The.Clockwork.Garden.2023.1080p.mkv - VLC media player
""")
    app("other", "entertainment", "VLC", """
birthday-party-2024.mp4 - VLC media player
""")
    app("other", "entertainment", "mpv Media Player", """
Harbour.Nights.S01E05.mkv - mpv
""")
    app("other", "entertainment", "Totem", """
Crown.of.Salt.S01E02.mp4
""")
    app("other", "entertainment", "Videos", """
beach-day-2024.mov
""")
    app("other", "entertainment", "Celluloid", """
Iron Valley The Movie
""")
    app("other", "entertainment", "Kodi", """
Kodi - TV shows
""")
    app("other", "entertainment", "FreeTube", """
Top 50 Goals of the Season - FreeTube
""")
    app("other", "entertainment", "Foliate", """
Harbour Hearts, Volume 2
""")


def more_social_and_hobbies():
    web("other", "entertainment", """
https://www.facebook.com/groups/harbourroadneighbours (5) Harbour Road Neighbours | Facebook
https://www.facebook.com/groups/vintagebikesuk Vintage Bikes UK | Facebook
https://www.facebook.com/marketplace/item/1{n}/ Marketplace – Oak dining table and 4 chairs | Facebook
https://www.facebook.com/reel/1{n} Reels | Facebook
https://www.facebook.com/memories/ Memories | Facebook
https://www.facebook.com/friends/requests Friend requests | Facebook
https://www.facebook.com/sam.whitfield.77 Sam Whitfield | Facebook
https://www.instagram.com/p/C{r}{h}{r}/ Jonas Vik on Instagram: "Summit at sunrise ⛰️"
https://www.instagram.com/explore/tags/sourdough/ #sourdough hashtag on Instagram • Photos and videos
https://www.instagram.com/moonbasecomics/ Moonbase Comics (@moonbasecomics) • Instagram photos and videos
https://www.instagram.com/accounts/activity/ Notifications • Instagram
https://www.tiktok.com/@gardenwithgus/video/7{N} Gardening with Gus on TikTok — grow garlic in a cup
https://www.tiktok.com/@dadjokesdaily/video/7{N} Dad Jokes Daily on TikTok — the one about the cheese
https://www.tiktok.com/@minifoodstudio/video/7{N} Mini Food Studio on TikTok — tiny pancakes
https://www.tiktok.com/following Following | TikTok
https://www.tiktok.com/search?q=halloween%20costume%20ideas halloween costume ideas - Search | TikTok
https://x.com/FootyFlashes Footy Flashes (@FootyFlashes) / X
https://x.com/i/bookmarks Bookmarks / X
https://x.com/seabirdwatch/status/1{N} Seabird Watch on X: "Puffin season is over but look at this guillemot 😍" / X
https://x.com/i/lists/1{n} Film Twitter / X
https://www.threads.net/@moonbasecomics Moonbase Comics (@moonbasecomics) • Threads, Say more
https://www.threads.net/search?q=bake%20off Threads • Search
https://bsky.app/notifications Notifications — Bluesky
https://bsky.app/profile/seabirdwatch.bsky.social Seabird Watch (@seabirdwatch.bsky.social) — Bluesky
https://mastodon.social/tags/caturday #caturday - Mastodon
https://mastodon.social/notifications Notifications - Mastodon
https://www.pinterest.com/pin/2{n}/ Pin on Christmas table decor
https://www.pinterest.com/search/pins/?q=small%20garden%20ideas small garden ideas - Pinterest
https://www.pinterest.com/ideas/home-decor/935249274030/ Home Decor Ideas | Pinterest
https://www.tumblr.com/moonbasecomics Moonbase Comics on Tumblr
https://www.tumblr.com/explore/trending Trending on Tumblr
https://www.quora.com/What-is-the-best-book-you-have-ever-read-1 What is the best book you have ever read? - Quora
https://www.quora.com/Is-it-worth-visiting-Iceland-in-winter Is it worth visiting Iceland in winter? - Quora
https://9gag.com/trending Trending - 9GAG
https://9gag.com/gag/a{r}{h} Cats are just liquid in fur - 9GAG
https://imgur.com/gallery/{h}{r} This is how my grandad parks - Imgur
https://imgur.com/hot Most Viral Images | Imgur
https://tinder.com/app/profile Profile | Tinder
https://bumble.com/app/connections Bumble - Matches
https://www.reddit.com/r/AskUK/comments/{r}/whats_the_most_british_thing_youve_ever_seen/ What's the most British thing you've ever seen? : r/AskUK
https://www.reddit.com/r/CasualUK/comments/{r}/my_nan_just_discovered_the_air_fryer/ My nan just discovered the air fryer : r/CasualUK
https://www.reddit.com/r/gardening/comments/{r}/first_year_growing_pumpkins_how_did_i_do/ First year growing pumpkins, how did I do? : r/gardening
https://www.reddit.com/r/bicycling/comments/{r}/new_bike_day_steel_gravel_build/ New bike day! Steel gravel build : r/bicycling
https://www.reddit.com/r/photography/comments/{r}/is_a_used_full_frame_worth_it/ Is a used full frame worth it in 2024? : r/photography
https://www.reddit.com/r/knitting/comments/{r}/finished_my_first_sweater/ Finished my first sweater! : r/knitting
https://www.reddit.com/r/Baking/comments/{r}/my_croissants_finally_have_layers/ My croissants finally have layers : r/Baking
https://www.reddit.com/r/Showerthoughts/comments/{r}/a_library_is_a_free_netflix_for_books/ A library is a free Netflix for books : r/Showerthoughts
https://www.reddit.com/r/interestingasfuck/comments/{r}/how_lighthouses_lenses_are_made/ How lighthouse lenses are made : r/interestingasfuck
https://www.reddit.com/r/Damnthatsinteresting/comments/{r}/a_tree_that_grew_through_a_bicycle/ A tree that grew through a bicycle : r/Damnthatsinteresting
https://www.reddit.com/r/books/comments/{r}/what_book_made_you_cry/ What book made you cry? : r/books
https://www.reddit.com/r/television/comments/{r}/the_lantern_keepers_renewed_for_season_3/ The Lantern Keepers renewed for season 3 : r/television
https://www.reddit.com/r/anime/comments/{r}/skyward_couriers_episode_8_discussion/ Skyward Couriers - Episode 8 discussion : r/anime
https://www.reddit.com/r/pcgaming/comments/{r}/lantern_valley_is_on_sale/ Lantern Valley is on sale for 60% off : r/pcgaming
https://www.reddit.com/r/StardewValley/comments/{r}/my_farm_after_3_years/ My farm after 3 in-game years : r/StardewValley
https://www.reddit.com/r/Minecraft/comments/{r}/built_a_lighthouse_in_survival/ Built a lighthouse in survival : r/Minecraft
https://www.reddit.com/r/chess/comments/{r}/i_finally_reached_1500/ I finally reached 1500! : r/chess
https://www.reddit.com/r/FantasyPL/comments/{r}/rate_my_team_gw9/ Rate my team – GW9 : r/FantasyPL
https://www.reddit.com/r/running/comments/{r}/first_half_marathon_done/ First half marathon done! : r/running
https://www.reddit.com/r/personalfinance/comments/{r}/should_i_overpay_my_mortgage/ Should I overpay my mortgage? : r/personalfinance
https://www.reddit.com/r/relationship_advice/comments/{r}/my_partner_wants_a_dog_i_dont/ My partner wants a dog, I don't : r/relationship_advice
https://www.reddit.com/r/AmItheAsshole/comments/{r}/aita_for_not_sharing_my_fries/ AITA for not sharing my fries? : r/AmItheAsshole
https://www.reddit.com/r/oddlysatisfying/ r/oddlysatisfying
https://www.reddit.com/r/memes/ r/memes
https://old.reddit.com/r/aww/ aww
https://www.ravelry.com/patterns/library/harbour-cardigan Ravelry: Harbour Cardigan pattern by Ines Calder
https://www.strava.com/athletes/5{n} Jonas Vik | Strava Athlete
https://www.komoot.com/tour/1{n} Harbour loop via the old quarry | hike | Komoot
https://www.alltrails.com/trail/england/somerset/cheddar-gorge-circular Cheddar Gorge Circular, Somerset, England - 4,287 Reviews, Map | AllTrails
https://www.rhs.org.uk/plants/roses Roses | RHS Gardening
https://www.gardenersworld.com/how-to/grow-plants/how-to-grow-garlic/ How to grow garlic | BBC Gardeners World Magazine
https://www.dpreview.com/reviews/fujifilm-x-t50-review Fujifilm X-T50 review: Digital Photography Review
https://www.flickr.com/explore Explore | Flickr
https://www.flickr.com/photos/nmarshphoto/5{n}/ Fog over the harbour | Flickr
https://www.bikeradar.com/advice/buyers-guides/best-gravel-bikes Best gravel bikes in 2024 | BikeRadar
https://www.pistonheads.com/gassing/topic.asp?h=0&f=23&t=2{n} Which used estate car? - Page 1 - Buying a car - PistonHeads UK
https://www.cloudynights.com/topic/9{n}-first-light-with-a-dobsonian/ First light with a Dobsonian - Beginners Forum - Cloudy Nights
https://www.instructables.com/Wooden-Bird-Feeder/ Wooden Bird Feeder : 9 Steps (with Pictures) - Instructables
https://www.thingiverse.com/thing:6{n} Articulated Dragon by Moonbase - Thingiverse
https://boardgamegeek.com/boardgame/3{n}/lighthouse-keepers Lighthouse Keepers | Board Game | BoardGameGeek
https://www.geocaching.com/play/map Geocaching Map
https://www.ancestry.co.uk/family-tree/tree/1{n}/family Family tree – Marsh family – Ancestry
""")
    web("other", "neutral", """
https://www.reddit.com/r/LegalAdviceUK/comments/{r}/landlord_wont_return_deposit/ Landlord won't return deposit : r/LegalAdviceUK
https://www.reddit.com/r/DIY/comments/{r}/how_do_i_fix_a_dripping_tap/ How do I fix a dripping tap? : r/DIY
https://www.reddit.com/r/techsupport/comments/{r}/laptop_fan_loud_after_update/ Laptop fan loud after update : r/techsupport
https://www.mumsnet.com/talk/am_i_being_unreasonable/5{n}-to-think-school-pickup-is-chaos To think school pickup is chaos | Mumsnet
""")


def more_news_shopping_games():
    web("other", "entertainment", """
https://www.bbc.co.uk/news/articles/c{r}{h}2o Seal pup rescued from harbour steps - BBC News
https://www.bbc.co.uk/news/uk-england-bristol-6{n} Giant puppet parade draws thousands to city centre - BBC News
https://www.bbc.com/future/article/20241015-why-we-love-scary-films Why we love scary films - BBC Future
https://www.bbc.com/culture/article/20241011-the-best-tv-of-the-year-so-far The best TV of the year so far - BBC Culture
https://www.bbc.co.uk/weather/2654675 Bristol - BBC Weather
https://www.theguardian.com/film/2024/oct/17/frost-road-review Frost Road review – an icy thriller that never lets go | Film | The Guardian
https://www.theguardian.com/food/2024/oct/12/easy-autumn-traybakes 20 easy autumn traybakes | Food | The Guardian
https://www.theguardian.com/travel/2024/oct/09/best-uk-coastal-walks The 10 best coastal walks in the UK | Travel | The Guardian
https://www.theguardian.com/us-news/2024/oct/16/election-polls-latest Election polls: latest | US news | The Guardian
https://www.theguardian.com/sport/2024/oct/20/rovers-united-match-report Rovers snatch late win over United | Football | The Guardian
https://www.theguardian.com/tv-and-radio/2024/oct/18/the-lantern-keepers-season-2-finale The Lantern Keepers season two finale recap | Television & radio | The Guardian
https://www.nytimes.com/2024/10/14/travel/36-hours-in-lisbon.html 36 Hours in Lisbon: Things to Do and See - The New York Times
https://www.nytimes.com/wirecutter/reviews/best-coffee-grinder/ The 3 Best Coffee Grinders of 2024 | Reviews by Wirecutter
https://www.nytimes.com/2024/10/13/well/eat/fall-soup-recipes.html Soups to Warm Up With This Fall - The New York Times
https://www.nytimes.com/section/sports Sports - The New York Times
https://edition.cnn.com/2024/10/18/entertainment/celebrity-wedding-photos Inside the star-studded wedding everyone is talking about | CNN
https://edition.cnn.com/2024/10/15/health/sleep-tips-wellness 7 tips for better sleep, according to experts | CNN
https://www.cnn.com/weather Weather - CNN
https://www.washingtonpost.com/food/2024/10/10/apple-cake-recipe/ This apple cake is the easiest dessert of the season - The Washington Post
https://www.reuters.com/world/us/ U.S. News | Latest Stories | Reuters
https://apnews.com/article/halloween-costumes-trends-{h} The most popular Halloween costumes this year | AP News
https://apnews.com/sports AP Sports | AP News
https://www.nbcnews.com/pop-culture Pop Culture News - NBC News
https://www.foxnews.com/entertainment Entertainment News | Fox News
https://www.dailymail.co.uk/femail/article-1{n}/autumn-fashion-high-street.html The high street buys everyone wants this autumn | Daily Mail Online
https://www.dailymail.co.uk/sport/football/index.html Football News | Daily Mail Online
https://www.buzzfeed.com/tv-and-movies Movies & TV | BuzzFeed
https://www.buzzfeed.com/food/easy-dinners-{n} 21 Easy Dinners For When You Can't Be Bothered
https://www.yahoo.com/lifestyle/ Yahoo Life
https://uk.news.yahoo.com/weather-warning-issued-coast-{n}.html Weather warning issued for the coast this weekend
https://www.msn.com/en-gb/entertainment Entertainment | MSN
https://www.theverge.com/games The Verge – Gaming
https://www.theverge.com/2024/10/17/{n}/handheld-console-review Handheld console review: tiny, loud and lots of fun - The Verge
https://www.wired.com/story/best-board-games-{h}/ The Best Board Games for Every Group | WIRED
https://arstechnica.com/cars/2024/10/electric-hatchback-review/ Electric hatchback review: small car, big range - Ars Technica
https://techcrunch.com/2024/10/18/dating-app-adds-video-profiles/ Dating app adds video profiles | TechCrunch
https://www.independent.co.uk/travel/europe/best-christmas-markets-europe-b2{n}.html Best Christmas markets in Europe | The Independent
https://www.skynews.com/story/storm-warning-what-we-know-13{n} Storm warning: What we know so far | UK News | Sky News
https://www.espn.com/nba/story/_/id/4{n}/season-preview NBA season preview: 30 teams, 30 questions - ESPN
https://www.espn.com/f1/ F1 - Formula 1 News, Scores, Standings & Race Results - ESPN
https://www.espn.co.uk/rugby/ Rugby Union News, Scores & Fixtures - ESPN
https://www.espncricinfo.com/cricketers/mahesh-kanth-1{n} Mahesh Kanth Profile - Cricket Player | Stats, Records, Video
https://www.nfl.com/standings/ NFL Standings | NFL.com
https://www.nfl.com/videos/highlights-week-7 Week 7 highlights | NFL.com
https://www.nba.com/news NBA News | NBA.com
https://www.nba.com/game/hawks-vs-bulls-00224{n} Hawks 112-104 Bulls (Oct 24, 2024) Game Summary | NBA.com
https://www.formula1.com/en/drivers Formula 1 Drivers 2024
https://www.formula1.com/en/video/highlights-singapore-grand-prix.{n} Race Highlights | Singapore Grand Prix | Formula 1
https://www.skysports.com/premier-league-table Premier League Table & Standings 2024/25 | Sky Sports Football
https://www.skysports.com/cricket/scores Cricket Scores | Sky Sports
https://www.flashscore.com/tennis/ Tennis live scores | Flashscore
https://www.flashscore.com/basketball/usa/nba/ NBA 2024/2025 live scores | Flashscore
https://www.strava.com/clubs/harbour-runners Harbour Runners | Strava Running Club
https://fantasy.premierleague.com/my-team Fantasy Premier League, Official Fantasy Football Game of the Premier League
https://www.bbc.co.uk/sport/live/football/6{n} Live: Rovers v United - BBC Sport
""")
    web("other", "entertainment", """
https://www.amazon.com/s?k=halloween+decorations halloween decorations - Amazon.com
https://www.amazon.com/dp/B0{h}{r} Amazon.com: Robot Vacuum with Self-Empty Base : Home & Kitchen
https://www.amazon.com/dp/B0{r}{r}{h} Amazon.com: Kids' Waterproof Winter Boots : Clothing, Shoes & Jewelry
https://www.amazon.com/hz/wishlist/ls/3{r}{h} Amazon.com: Birthday ideas
https://www.amazon.co.uk/dp/B0{h}{h} Board Game – Lighthouse Keepers, 2–4 Players : Amazon.co.uk: Toys & Games
https://www.amazon.co.uk/gp/video/storefront Amazon.co.uk: Prime Video
https://www.amazon.co.uk/s?k=air+fryer air fryer - Amazon.co.uk
https://www.ebay.co.uk/sch/i.html?_nkw=vintage+record+player vintage record player for sale | eBay
https://www.ebay.com/itm/3{n} Signed Football Shirt, Framed | eBay
https://www.ebay.co.uk/mye/myebay/watchlist My eBay: Watchlist
https://www.etsy.com/listing/2{n}/knitted-fox-scarf Knitted Fox Scarf - Etsy UK
https://www.etsy.com/uk/c/home-and-living/home-decor Home Décor - Etsy UK
https://www.walmart.com/browse/toys/4171 Toys - Walmart.com
https://www.target.com/s?searchTerm=lego lego : Target
https://www.bestbuy.com/site/tvs/all-flat-screen-tvs/abcat0101001.c All Flat-Screen TVs - Best Buy
https://www.ikea.com/gb/en/p/kallax-shelving-unit-white-80275887/ KALLAX Shelving unit, white, 77x147 cm - IKEA UK
https://www.ikea.com/gb/en/cat/christmas-decorations-20564/ Christmas decorations - IKEA UK
https://www.aliexpress.com/item/1005{n}{h}.html Bike Phone Holder Waterproof - AliExpress
https://www.temu.com/uk/mens-jackets-o3-{n}.html Men's jackets - Temu UK
https://www.shein.com/Men-Hoodies-c-{n}.html Men's Hoodies & Sweatshirts | SHEIN UK
https://www.asos.com/women/dresses/cat/?cid=8799 Dresses | Shop Women's Dresses | ASOS
https://www.argos.co.uk/product/{n} Buy Kids' Scooter with LED Wheels | Argos
https://www.johnlewis.com/search?search-term=duvet duvet | John Lewis & Partners
https://www.currys.co.uk/products/coffee-machine-{n}.html Bean-to-cup Coffee Machine | Currys
https://www.vinted.co.uk/catalog?search_text=wool%20coat wool coat | Vinted
https://www.depop.com/products/retro-denim-jacket/ Retro denim jacket | Depop
https://www.lego.com/en-gb/product/lighthouse-island-31{n} Lighthouse Island | LEGO® Shop GB
https://www.apple.com/uk/shop/buy-airpods Buy AirPods - Apple (UK)
https://www.nike.com/gb/w/mens-running-shoes-37v7jznik1zy7ok Men's Running Shoes. Nike UK
https://www.decathlon.co.uk/p/hiking-backpack-30l/_/R-p-3{n} 30 L Hiking Backpack | Decathlon
https://www.waterstones.com/book/the-salt-road/maren-ives/9781{n} The Salt Road by Maren Ives | Waterstones
https://www.booking.com/hotel/is/northern-lights-lodge.html Northern Lights Lodge, Hella (updated prices 2025)
https://www.booking.com/mytrips Bookings – Booking.com
https://www.airbnb.com/rooms/6{n} Treehouse with a view - Treehouses for Rent in Asturias, Spain - Airbnb
https://www.airbnb.com/wishlists Wishlists - Airbnb
https://www.expedia.com/Hotel-Search?destination=Barcelona Barcelona hotels | Expedia
https://www.tripadvisor.com/Hotel_Review-g187497-d{n}-Reviews-Casa_Mar-Barcelona.html CASA MAR - Updated 2024 Prices & Hotel Reviews (Barcelona) - Tripadvisor
https://www.tripadvisor.co.uk/Attractions-g186338-Activities-London_England.html THE 15 BEST Things to Do in London - 2024 (with Photos) - Tripadvisor
https://www.skyscanner.net/transport/flights/lond/bcn/ Cheap flights from London to Barcelona | Skyscanner
https://www.skyscanner.net/hotels/search?entity_id=27544008 Hotels in Barcelona | Skyscanner
https://www.easyjet.com/en/buy/flights easyJet | Select your flights
https://www.lonelyplanet.com/portugal/lisbon Lisbon travel guide - Lonely Planet | Portugal, Europe
https://www.visitportugal.com/en/destinos/porto-e-norte Porto and the North | visitportugal
https://www.rome2rio.com/map/London/Porto London to Porto - 7 ways to travel via train, plane, bus, and car
https://www.nationalrail.co.uk/journey-planner/ Journey Planner | National Rail
https://www.allrecipes.com/recipe/2{n}{h}/chicken-pot-pie/ Chicken Pot Pie Recipe
https://www.allrecipes.com/gallery/best-halloween-treats/ 25 Best Halloween Treats
https://www.bbcgoodfood.com/recipes/easy-chocolate-cake Easy chocolate cake recipe | BBC Good Food
https://www.bbcgoodfood.com/recipes/vegetable-curry-batch Vegetable curry for a crowd recipe | BBC Good Food
https://www.seriouseats.com/pizza-dough-recipe Basic New York-Style Pizza Dough Recipe
https://www.budgetbytes.com/one-pot-pasta/ One Pot Pasta - Budget Bytes
https://www.doordash.com/store/taco-harbour-{n}/ Taco Harbour Delivery Menu | DoorDash
https://www.ubereats.com/gb/store/noodle-bar-{r}/ Noodle Bar Menu – Uber Eats
https://www.just-eat.co.uk/restaurants-curryhouse-bristol/menu Curry House | Takeaway in Bristol | Just Eat
https://www.zillow.com/homedetails/22-Harbor-View-Rd/{n}_zpid/ 22 Harbor View Rd | Zillow
https://www.zoopla.co.uk/to-rent/flats/bristol/ Flats to rent in Bristol - Zoopla
https://robinhood.com/crypto/BTC Bitcoin (BTC) Price | Robinhood
https://www.coinbase.com/assets Assets | Coinbase
https://www.tradingview.com/markets/cryptocurrencies/prices-all/ Crypto coins — TradingView
""")
    web("other", "neutral", """
https://online.harbourbank.co.uk/statements Statements – Harbour Bank Online
https://online.harbourbank.co.uk/cards/freeze Freeze your card – Harbour Bank Online
https://www.octopus.energy/dashboard/ Your account | Octopus Energy
https://www.thameswater.co.uk/my-account/bills My bills | Thames Water
https://www.gov.uk/renew-adult-passport Renew or replace your adult passport - GOV.UK
https://www.gov.uk/vehicle-tax Tax your vehicle - GOV.UK
https://www.bristol.gov.uk/residents/bins-and-recycling/bin-collection-days Bin collection days | Bristol City Council
https://www.nhs.uk/nhs-app/ NHS App - NHS
https://www.nhs.uk/conditions/common-cold/ Common cold - NHS
https://patient.myhealthcentre.co.uk/appointments/book Book an appointment – Harbour Road Surgery
https://www.comparethemarket.com/car-insurance/ Compare Car Insurance Quotes | Compare the Market
https://www.moneysavingexpert.com/banking/compare-best-savings-accounts/ Top savings accounts - MoneySavingExpert
https://www.dpd.co.uk/apps/tracking/?reference=15501234567890 DPD | Track your parcel
https://www.parcelforce.com/track-trace Track and Trace | Parcelforce Worldwide
https://www.ups.com/track?tracknum=1Z999AA10123456784 Tracking | UPS - United Kingdom
https://www.fedex.com/fedextrack/?trknbr=771234567890 FedEx Tracking
https://www.wise.com/home Wise - Home
https://www.revolut.com/app/home Revolut
https://www.airbnb.com/account-settings Account - Airbnb
https://www.vodafone.co.uk/myvodafone/ My Vodafone
""")
    web("other", "entertainment", """
https://store.steampowered.com/app/1{n}/Lantern_Valley/ Lantern Valley on Steam
https://store.steampowered.com/charts/mostplayed Steam Charts - Most Played Games
https://store.steampowered.com/account/history/ Purchase History
https://steamcommunity.com/market/ Steam Community Market
https://steamcommunity.com/app/1{n}/guides/ Steam Community :: Lantern Valley :: Guides
https://store.epicgames.com/en-US/library Library - Epic Games Store
https://www.gog.com/en/account Your games | GOG.COM
https://itch.io/jam/harbour-jam-2024 Harbour Jam 2024 - itch.io
https://www.roblox.com/discover Charts - Roblox
https://www.chess.com/home Home - Chess.com
https://www.chess.com/lessons/mastering-the-endgame Mastering the Endgame - Chess Lessons - Chess.com
https://lichess.org/tv Watch top games • lichess.org
https://lichess.org/study/{r} Italian Game study • lichess.org
https://poki.com/en/g/moto-x3m Moto X3M 🕹️ Play on Poki
https://www.crazygames.com/game/smash-karts Smash Karts 🕹️ Play on CrazyGames
https://www.geoguessr.com/maps/world World - GeoGuessr
https://neal.fun/deep-sea/ The Deep Sea
https://neal.fun/password-game/ The Password Game
https://www.nexusmods.com/stardewvalley/mods/1{n} Better Crafting at Stardew Valley Nexus - Mods and community
https://www.ign.com/games/lantern-valley Lantern Valley - IGN
https://www.ign.com/articles/best-switch-games Best Switch Games 2024 - IGN
https://www.pcgamer.com/games/rpg/lantern-valley-review/ Lantern Valley review | PC Gamer
https://www.eurogamer.net/best-board-games-2024 Best board games 2024 | Eurogamer.net
https://www.polygon.com/guides/lantern-valley-mine-puzzle Lantern Valley mine puzzle solution - Polygon
https://stardewvalleywiki.com/Bundles Bundles - Stardew Valley Wiki
https://terraria.wiki.gg/wiki/Bosses Bosses - Terraria Wiki
https://www.fandom.com/ Fandom
https://elden-ring.fandom.com/wiki/Weapons Weapons | Elden Ring Wiki | Fandom
https://www.speedrun.com/lantern_valley Lantern Valley - speedrun.com
https://www.nytimes.com/puzzles/sudoku/medium Sudoku Medium - The New York Times
https://www.sporcle.com/games/g/world Countries of the World Quiz - Sporcle
https://www.jigsawplanet.com/?rc=play&pid=2{h} Lighthouse at dusk jigsaw puzzle online
https://www.miniclip.com/games 8 Ball Pool & Free Games | Miniclip
https://playpager.com/online-solitaire/ Solitaire - Play Online Klondike Solitaire
https://www.twitch.tv/directory/category/minecraft Minecraft - Twitch
""")
    apps("other", "entertainment", ("Steam",), """
Library
Lantern Valley
Steam Settings
""")
    app("other", "entertainment", "Solitaire", """
Solitaire
""")
    app("other", "entertainment", "Aisleriot Solitaire", """
Spider Three Decks
""")
    app("other", "entertainment", "Battle for Wesnoth", """
The Battle for Wesnoth - 1.18.2
""")
    app("other", "entertainment", "Minecraft", """
Minecraft* 1.21.1 - Singleplayer
Minecraft* 1.21.1 - Multiplayer (3rd-party Server)
""")
    app("other", "entertainment", "Lutris", """
Lutris - Lantern Quest
""")
    app("other", "entertainment", "Heroic Games Launcher", """
Heroic Games Launcher - Library
""")
    app("other", "entertainment", "RetroArch", """
RetroArch Snes9x - Harbour Heroes (USA)
""")
    app("other", "entertainment", "Mines", """
Mines — Medium
""")
    app("other", "entertainment", "0 A.D.", """
0 A.D. - Skirmish
""")
    app("other", "entertainment", "SuperTuxKart", """
SuperTuxKart - Grand Prix
""")
    app("other", "entertainment", "Quadrapassel", """
Quadrapassel
""")
    app("other", "entertainment", "GNOME Sudoku", """
Sudoku
""")
    app("other", "entertainment", "Frozen Bubble", """
Frozen-Bubble
""")


def more_private_and_foreign_leisure():
    web("other", "communication", """
https://www.messenger.com/t/1000{n} Messenger | Mum
https://www.messenger.com/ (3) Messenger
https://discord.com/channels/774412233445/774412233452 #movie-night | Pixel Orchard - Discord
https://discord.com/channels/903311224455/903311224460 #general-chat | Lantern Valley Official - Discord
https://discord.com/channels/@me/921144556677889 @mia_plays | Discord
https://mail.google.com/mail/u/0/#inbox/FMfcgzQXKeYzDnPsNtKySfLuMbZoAdRs Re: Christmas plans - nina.marsh.home@gmail.com - Gmail
https://mail.google.com/mail/u/0/#inbox/FMfcgzQXKfZaEoQtOuLzTgMvNcApBeSt Your weekly running summary - nina.marsh.home@gmail.com - Gmail
https://mail.google.com/mail/u/0/#category/social Social - nina.marsh.home@gmail.com - Gmail
https://mail.google.com/mail/u/0/#inbox/FMfcgzQXKgAbFpRuPvMaUhNwOdBqCfTu Invitation: Sam's 40th 🎉 - nina.marsh.home@gmail.com - Gmail
https://outlook.live.com/mail/0/inbox/id/AQQkADAwATZiZmYAZC2 Your parcel is on its way - Tom Kowal - Outlook
https://outlook.live.com/mail/0/junkemail Junk Email - Tom Kowal - Outlook
https://mail.proton.me/u/0/inbox/Yl3RqMn9OuS5xXa Climbing trip photos | jonasvik@proton.me | Proton Mail
https://mail.yahoo.com/d/folders/1/messages/AFk2 Your statement is ready - omar.h77@yahoo.com - Yahoo Mail
https://www.icloud.com/mail/#/inbox/message/8812 iCloud Mail - Dinner on Saturday?
""")
    app("other", "communication", "Signal", """
Signal - Sam
Signal - Family group
""")
    app("other", "communication", "Telegram Desktop", """
Mum
Climbing buddies – (2)
""")
    app("other", "communication", "WhatsApp", """
WhatsApp – Football Sunday
(2) WhatsApp – Book club
""")
    app("other", "communication", "Discord", """
#movie-night | Pixel Orchard - Discord
@mia_plays - Discord
""")
    app("other", "communication", "Thunderbird", """
Re: Allotment AGM minutes - Mozilla Thunderbird
Your Strava weekly summary - Mozilla Thunderbird
""")
    app("other", "communication", "Evolution", """
Re: Neighbourhood bonfire night — Evolution
""")
    # Leisure in other languages.
    web("other", "entertainment", """
https://www.spiegel.de/reise/fernweh/herbsturlaub-an-der-ostsee-a-{u} Herbsturlaub an der Ostsee: Die schönsten Orte - DER SPIEGEL
https://www.spiegel.de/sport/fussball/ Fußball-News - DER SPIEGEL
https://www.bild.de/ratgeber/gesundheit/schlaf-tipps-{n}.bild.html So schlafen Sie endlich durch | Ratgeber | BILD.de
https://www.chip.de/test/Beste-Kopfhoerer_{n}.html Die besten Kopfhörer im Test | CHIP
https://www.ebay.de/itm/1{n} Retro Rennrad Stahlrahmen 56 cm | eBay
https://www.lidl.de/p/parkside-akku-bohrschrauber/p1{n} PARKSIDE Akku-Bohrschrauber | LIDL
https://www.tiktok.com/@kochenmitoma/video/7{N} Kochen mit Oma auf TikTok — Apfelstrudel wie früher
https://www.reddit.com/r/de/comments/{r}/wie_verbringt_ihr_den_sonntag/ Wie verbringt ihr den Sonntag? : r/de
https://www.youtube.com/results?search_query=lustige+katzen lustige katzen - YouTube
https://www.transfermarkt.de/fc-harbour/startseite/verein/9{n} FC Harbour - Vereinsprofil | Transfermarkt
https://www.kicker.de/bundesliga/spieltag Bundesliga: Spieltag | kicker
https://www.deutschebahn.com/de Deutsche Bahn: Bahnfahrten günstig buchen
https://www.holidaycheck.de/hi/hotel-alpenblick/{u} Hotel Alpenblick – HolidayCheck
https://www.essen-und-trinken.de/rezepte/zwiebelkuchen Zwiebelkuchen - Rezept | essen-und-trinken.de
https://www.netflix.com/title/81{n}{r} Die Salzkrone | Netflix
""", lang="de")
    web("other", "entertainment", """
https://www.lemonde.fr/culture/article/2024/10/13/les-films-a-voir-cette-semaine_{n}_3246.html Les films à voir cette semaine
https://www.lequipe.fr/Tennis/ Tennis - Toute l'actualité du tennis - L'Équipe
https://www.allocine.fr/film/fichefilm_gen_cfilm={n}.html La Route du givre - film 2024 - AlloCiné
https://www.fnac.com/a1{n}/Casque-sans-fil Casque sans fil à réduction de bruit - Fnac.com
https://www.leboncoin.fr/ad/ameublement/2{n} Table en chêne massif - Ameublement - leboncoin
https://www.instagram.com/p/C{h}{h}{r}/ Hugo Lefèvre sur Instagram : « Week-end à Annecy »
https://www.reddit.com/r/france/comments/{r}/vos_series_du_moment/ Vos séries du moment ? : r/france
https://www.doctissimo.fr/forum/cuisine/ Forum Cuisine - Doctissimo
https://www.cuisineaz.com/recettes/gratin-dauphinois-{n}.aspx Gratin dauphinois : recette facile - CuisineAZ
""", lang="fr")
    web("other", "entertainment", """
https://elpais.com/cultura/2024-10-14/las-series-del-otono.html Las series del otoño | Cultura | EL PAÍS
https://www.marca.com/futbol/primera-division/clasificacion.html Clasificación Primera División - MARCA
https://www.mundodeportivo.com/futbol/fc-barcelona Noticias del FC Barcelona | Mundo Deportivo
https://www.wallapop.com/item/bicicleta-de-montana-{n} Bicicleta de montaña | Wallapop
https://www.amazon.es/dp/B0{r}{h} Freidora de aire 5,5 L : Amazon.es: Hogar y cocina
https://www.directoalpaladar.com/recetas-de-carnes-y-aves/pollo-al-ajillo Pollo al ajillo, receta tradicional
https://www.instagram.com/explore/tags/viajes/ #viajes hashtag en Instagram • Fotos y vídeos
https://x.com/home (4) Inicio / X
https://www.filmaffinity.com/es/film{n}.html La ruta helada (2024) - FilmAffinity
""", lang="es")
    web("other", "entertainment", """
https://www.corriere.it/cucina/ricette/ Ricette - Corriere della Sera Cucina
https://www.gazzetta.it/Calcio/Champions-League/ Champions League: news, risultati e classifica | Gazzetta.it
https://www.ilmeteo.it/meteo/Milano Meteo Milano - Previsioni fino a 15 giorni | ilMeteo.it
https://www.instagram.com/p/C{h}{r}{r}/ Sofia Ferri su Instagram: "Domenica al lago 💙"
https://www.zalando.it/donna-home/ Moda donna | Zalando
https://www.trenitalia.com/it.html Trenitalia - Acquista biglietti del treno
""", lang="it")
    web("other", "entertainment", """
https://ge.globo.com/futebol/times/flamengo/ Flamengo | ge
https://www.instagram.com/p/C{r}{r}{r}/ Rui Carvalho no Instagram: "Fim de semana no Porto"
https://www.abola.pt/futebol Futebol - A BOLA
https://www.amazon.com.br/s?k=fone+bluetooth fone bluetooth - Amazon.com.br
https://www.receitasnestle.com.br/receitas/brigadeiro Brigadeiro - Receitas Nestlé
https://www.tiktok.com/@viagensdarita/video/7{N} Viagens da Rita no TikTok — praias secretas do Algarve
""", lang="pt")
    web("other", "entertainment", """
https://www.nu.nl/entertainment Entertainment | NU.nl
https://www.voetbalprimeur.nl/ Voetbal Primeur - Het laatste voetbalnieuws
https://www.coolblue.nl/koffiezetapparaten Koffiezetapparaten - Coolblue - Voor 23.59u, morgen in huis
https://www.funda.nl/koop/utrecht/ Huizen te koop in Utrecht - Funda
https://www.reddit.com/r/thenetherlands/comments/{r}/wat_kijken_jullie_dit_weekend/ Wat kijken jullie dit weekend? : r/thenetherlands
""", lang="nl")
    web("other", "entertainment", """
https://www.pudelek.pl/gwiazdy-na-festiwalu-{n} Gwiazdy na festiwalu w Sopocie - Pudelek
https://www.filmweb.pl/film/Droga+przez+mróz-2024-{n} Droga przez mróz (2024) - Filmweb
https://allegro.pl/oferta/rower-gorski-29-cali-1{n} Rower górski 29 cali - Allegro
https://www.sport.pl/pilka/7,65082,{n},relacja-na-zywo.html Relacja na żywo: Legia - Lech - Sport.pl
https://www.reddit.com/r/Polska/comments/{r}/co_ogladacie_w_ten_weekend/ Co oglądacie w ten weekend? : r/Polska
""", lang="pl")
    web("other", "entertainment", """
https://www.expressen.se/noje/ Nöje | Expressen
https://www.svtplay.se/video/{r}/melodifestivalen Melodifestivalen – SVT Play
https://www.blocket.se/annons/stockholm/soffa_tre_sits/1{n} Soffa, tre-sits | Blocket
https://www.tradera.com/item/1{n} Vintage kaffekopp, Gustavsberg | Tradera
""", lang="sv")
    web("other", "entertainment", """
https://www.youtube.com/results?search_query=猫+おもしろ 猫 おもしろ - YouTube
https://www.nicovideo.jp/ranking ランキング - ニコニコ動画
https://news.yahoo.co.jp/articles/{h}{h} 紅葉シーズン到来 人気スポット混雑予想 - Yahoo!ニュース
https://www.mercari.com/jp/search/?keyword=ゲーム機 ゲーム機の通販・購入はメルカリ
https://kakaku.com/pc/note-pc/ ノートパソコン 価格比較 - 価格.com
https://www.jalan.net/kankou/ 観光ガイド - じゃらんnet
https://www.crunchyroll.com/ja/watch/G{h}{r}/ 天空の配達人 第8話 - Crunchyroll
""", lang="ja")
    web("other", "entertainment", """
https://www.bilibili.com/video/BV1{h}{r} 【美食】在家做一碗兰州拉面_哔哩哔哩_bilibili
https://www.douban.com/movie/ 豆瓣电影
https://movie.douban.com/subject/3{n}/ 寒路 (豆瓣)
https://www.zhihu.com/hot 知乎热榜 - 知乎
https://weibo.com/hot/search 微博热搜
https://detail.tmall.com/item.htm?id=6{n} 冬季加厚羽绒服-天猫Tmall.com
https://www.youku.com/ 优酷-为美好的你
""", lang="zh")
    web("other", "entertainment", """
https://www.youtube.com/results?search_query=먹방 먹방 - YouTube
https://entertain.naver.com/home 네이버 엔터
https://www.11st.co.kr/products/5{n} 겨울 패딩 점퍼 - 11번가
https://comic.naver.com/webtoon 네이버 웹툰
https://www.yanolja.com/ 야놀자 - 숙소 예약
""", lang="ko")
    web("other", "entertainment", """
https://www.youtube.com/results?search_query=смешные+видео смешные видео - YouTube
https://dzen.ru/ Дзен
https://www.championat.com/football/ Футбол — Чемпионат
https://www.avito.ru/moskva/velosipedy Велосипеды в Москве — Авито
https://www.ivi.ru/watch/severnyy-veter Северный ветер (сериал) — смотреть онлайн в хорошем качестве — Иви
https://market.yandex.ru/search?text=наушники наушники — Яндекс Маркет
""", lang="ru")
    web("other", "entertainment", """
https://www.youtube.com/results?search_query=komik+kedi+videoları komik kedi videoları - YouTube
https://www.ntvspor.net/futbol NTV Spor - Futbol Haberleri
https://www.sahibinden.com/bisiklet Bisiklet Fiyatları ve Modelleri - sahibinden.com
https://www.instagram.com/p/C{r}{h}{h}{r}/ Emre Kaya Instagram'da: "Kapadokya'da gün doğumu"
https://www.yemeksepeti.com/istanbul Yemeksepeti – İstanbul Restoranları
""", lang="tr")
    for lang, line in (
            ("de", "https://www.sparkasse.de/ Sparkasse – Online-Banking"),
            ("de", "https://www.dhl.de/de/privatkunden/pakete-empfangen/verfolgen.html?piececode=00340434161094042557 Sendungsverfolgung | DHL"),
            ("fr", "https://www.ameli.fr/assure/compte Mon compte ameli"),
            ("fr", "https://www.laposte.fr/outils/suivre-vos-envois?code=6A12345678901 Suivi de colis | La Poste"),
            ("es", "https://www.correos.es/es/es/herramientas/localizador/envios Localizador de envíos | Correos"),
            ("nl", "https://www.postnl.nl/tracktrace/ Track & Trace | PostNL - Volg je pakket"),
            ("pl", "https://www.inpost.pl/sledzenie-przesylek Śledzenie przesyłek | InPost"),
            ("sv", "https://www.postnord.se/vara-verktyg/spara-brev-paket-och-pall Spåra brev, paket och pall | PostNord")):
        web("other", "neutral", line, lang=lang)


def everyday_life():
    web("other", "entertainment", """
https://www.horoscope.com/us/horoscopes/general/horoscope-general-daily-today.aspx?sign=7 Libra Daily Horoscope - Horoscope.com
https://www.buzzfeed.com/quizzes/which-hogwarts-house-{n} Which Fictional School House Do You Belong In?
https://www.thesun.co.uk/tvandshowbiz/2{n}/reality-show-finale-twist/ Reality show finale twist leaves fans stunned | The Sun
https://www.hellomagazine.com/celebrities/2024101{n}/royal-autumn-outfits/ The autumn outfits everyone is copying | HELLO!
https://people.com/celebrity-couples-of-2024-{n} The Celebrity Couples Everyone Talked About in 2024 | People.com
https://www.tmz.com/2024/10/16/star-spotted-at-airport/ Star Spotted at LAX with New Haircut | TMZ
https://www.ladbible.com/news/weird-news-man-finds-message-in-bottle-{n} Man finds 40-year-old message in a bottle | LADbible
https://www.unilad.com/community/dog-adopted-after-500-days-{n} Dog finally adopted after 500 days in shelter | UNILAD
https://www.rightmove.co.uk/properties/1{n}{h} 4 bedroom detached house for sale in Cliff Road | Rightmove
https://www.autotrader.co.uk/car-details/2024{n} Used Volvo V60 estate for sale | AutoTrader
https://www.carwow.co.uk/best-family-cars Best family cars 2024 | carwow
https://www.theknot.com/content/wedding-reception-ideas 60 Wedding Reception Ideas Guests Will Love | The Knot
https://www.hitched.co.uk/wedding-venues/bristol/ Wedding Venues in Bristol | Hitched.co.uk
https://www.petsathome.com/product/cat-tree-large/{n}P Large Cat Tree with Hammock | Pets At Home
https://www.rover.com/search/?service_type=dog-walking Dog Walkers Near You | Rover
https://www.myfitnesspal.com/food/diary Food Diary | MyFitnessPal
https://www.headspace.com/meditation/sleep Sleep Meditation | Headspace
https://www.peloton.com/classes Peloton Classes
https://www.eventbrite.co.uk/e/harbour-food-festival-tickets-1{n} Harbour Food Festival Tickets | Eventbrite
https://www.ticketmaster.co.uk/the-quiet-tides-tickets/artist/2{n} The Quiet Tides Tickets | 2025 Tour & Concert Dates | Ticketmaster UK
https://www.seetickets.com/event/maren-ives/old-mill/3{n} Maren Ives – The Old Mill – See Tickets
https://www.odeon.co.uk/cinemas/bristol/ Bristol | Cinema Listings | ODEON
https://www.opentable.co.uk/r/the-harbour-kitchen-london The Harbour Kitchen Restaurant - London | OpenTable
https://www.airbnb.com/experiences/2{n} Pasta making with a local chef - Airbnb
https://www.nationaltrust.org.uk/visit/bristol-bath/tyntesfield Tyntesfield | National Trust
https://www.visitscotland.com/places-to-go/isle-of-skye Isle of Skye | VisitScotland
https://www.kayak.co.uk/flights/LON-REK/2025-02-14/2025-02-18 LON to REK, 14/2 – 18/2 | KAYAK
https://www.jet2holidays.com/destinations/canary-islands Canary Islands Holidays 2025 | Jet2holidays
https://www.wizzair.com/en-gb/booking/select-flight Wizz Air | Select flight
https://www.interrail.eu/en/plan-your-trip/interrail-passes Interrail passes | Interrail.eu
https://www.lego.com/en-gb/themes/ideas LEGO® Ideas | Official LEGO® Shop GB
https://www.hobbycraft.co.uk/knitting-yarn Knitting Yarn | Hobbycraft
https://www.screwfix.com/p/cordless-drill-driver/{n} Cordless Drill Driver 18V | Screwfix
https://www.diy.com/departments/garden/plants/bulbs/DIY{n}.cat Spring Bulbs | B&Q
https://www.thompson-morgan.com/p/tomato-seeds Tomato Seeds | Thompson & Morgan
https://www.mumsnet.com/talk/food_and_recipes Food and recipes | Mumsnet
https://www.netmums.com/activities/half-term-ideas Half-term activity ideas | Netmums
https://www.twitch.tv/directory/category/art Art - Twitch
https://www.crunchyroll.com/news/ Crunchyroll News
https://www.gamespot.com/reviews/ Game Reviews - GameSpot
https://www.rockpapershotgun.com/ Rock Paper Shotgun - PC Game Reviews, Previews, Subscriptions
https://www.pinterest.com/search/pins/?q=halloween%20costume%20kids halloween costume kids - Pinterest
https://www.instagram.com/p/C{h}{r}{h}/ Sam Whitfield on Instagram: "Birthday weekend 🎂"
https://www.facebook.com/events/2{n}/ Bonfire Night at Harbour Park | Facebook
https://www.tiktok.com/@bookswithbea/video/7{N} Books with Bea on TikTok — 5 books that made me cry
https://x.com/search?q=%23GBBO&src=typed_query #GBBO - Search / X
https://www.reddit.com/r/CasualUK/ r/CasualUK
https://www.reddit.com/r/Eurovision/comments/{r}/national_final_season_is_here/ National final season is here! : r/Eurovision
https://www.youtube.com/@GreenValleyGardens/shorts Green Valley Gardens - YouTube
https://www.youtube.com/playlist?list=PL{r}{r}{h} Cosy Sunday Playlist - YouTube
https://www.youtube.com/results?search_query=how+to+make+ramen how to make ramen - YouTube
https://www.imdb.com/name/nm0{n}/ Ines Calder - IMDb
https://www.ign.com/wikis/lantern-valley/Walkthrough Walkthrough - Lantern Valley Guide - IGN
https://www.wattpad.com/story/3{n}-the-lighthouse-keepers-daughter The Lighthouse Keeper's Daughter - Wattpad
https://www.royalroad.com/fiction/8{n}/harbour-of-ash Harbour of Ash | Royal Road
https://www.chess.com/news Chess News - Chess.com
https://open.spotify.com/playlist/{r}{r}{r}{r} Spotify – Road Trip Singalongs
""")
    web("other", "neutral", """
https://www.parentpay.com/Account/Home ParentPay | Home
https://www.arbor-education.com/parent-portal/attendance Attendance – Arbor Parent Portal
https://www.gov.uk/apply-free-school-meals Apply for free school meals - GOV.UK
https://www.gov.uk/council-tax-bands Council Tax bands - GOV.UK
https://www.nhs.uk/service-search/find-a-dentist Find a dentist - NHS
https://www.boots.com/online/pharmacy/repeat-prescriptions Repeat prescriptions | Boots Online Doctor
https://www.aviva.co.uk/myaviva/policies My policies | MyAviva
https://www.nationwide.co.uk/savings/ Savings accounts | Nationwide
https://www.experian.co.uk/consumer/credit-score Your credit score | Experian
https://www.britishgas.co.uk/my-account/ My account | British Gas
https://www.tvlicensing.co.uk/check-if-you-need-one Check if you need a TV Licence | TV Licensing
https://www.royalmail.com/sending/uk Send a parcel in the UK | Royal Mail
https://www.timeanddate.com/worldclock/meeting.html World Clock Meeting Planner
https://www.metoffice.gov.uk/weather/warnings-and-advice/uk-warnings UK weather warnings - Met Office
https://www.google.com/maps/place/Harbour+Road+Surgery Harbour Road Surgery - Google Maps
https://www.openstreetmap.org/way/4{n} Way: Harbour Road | OpenStreetMap
https://www.whatismyip.com/ What Is My IP Address - See Your Public Address - IPv4 & IPv6
https://downforeveryoneorjustme.com/ Is it down? Check at Down for Everyone or Just Me
https://www.ilovepdf.com/merge_pdf Merge PDF files online. Free service to merge PDF
https://www.dafont.com/theme.php?cat=102 Handwritten fonts | dafont.com
""")
    app("other", "neutral", "Files", """
Wedding photos
Tax return 2023 (personal)
""")
    app("other", "neutral", "Nautilus", """
Videos
""")
    app("work", "neutral", "Nautilus", """
Client assets – Tallow & Reed
""")
    app("work", "neutral", "Thunar File Manager", """
shoot-2024-10-12 - File Manager
""")
    app("other", "neutral", "Thunar File Manager", """
Music - File Manager
""")
    app("other", "neutral", "Settings", """
Accessibility
Multitasking
Apps
""")
    app("other", "neutral", "Software", """
Installed
""")
    app("other", "entertainment", "Image Viewer", """
meme-collection-0412.jpg
""")
    app("other", "neutral", "Calculator", """
Calculator — Financial
""")
    app("other", "neutral", "Weather", """
Weather — Bristol
""")
    web("other", "entertainment", """
https://www.ebay.de/sch/i.html?_nkw=lego+leuchtturm lego leuchtturm | eBay
https://www.instagram.com/explore/tags/kaffeeliebe/ #kaffeeliebe Hashtag auf Instagram • Fotos und Videos
https://www.zdf.de/comedy/heute-show heute-show - ZDFmediathek
""", lang="de")
    web("other", "entertainment", """
https://www.marmiton.org/recettes/recette_soupe-a-l-oignon_1{n}.aspx Soupe à l'oignon gratinée : recette de Soupe à l'oignon - Marmiton
https://www.seloger.com/list.htm?projects=2&types=1 Achat appartement : annonces immobilières - SeLoger
""", lang="fr")
    web("other", "entertainment", """
https://www.lavanguardia.com/gente Gente: noticias de famosos | La Vanguardia
https://www.skyscanner.es/vuelos/mad/lis/ Vuelos baratos de Madrid a Lisboa | Skyscanner
""", lang="es")
    web("other", "entertainment", """
https://www.booking.com/hotel/it/villa-sul-lago.it.html Villa sul Lago, Bellagio (prezzi aggiornati per il 2025)
""", lang="it")
    web("other", "entertainment", """
https://www.idealista.pt/comprar-casas/lisboa/ Casas e apartamentos à venda em Lisboa — idealista
""", lang="pt")
    web("other", "entertainment", """
https://www.rakuten.co.jp/ 【楽天市場】Shopping is Entertainment! ： インターネット最大級の通信販売、通販オンラインショッピングコミュニティ
""", lang="ja")


def main():
    code_hosting()
    packages_and_references()
    operations_and_assistants()
    tech_communities()
    development_programs()
    terminals()
    project_tools()
    documents_web()
    office_programs()
    research_and_learning()
    design_and_media()
    business()
    work_communication()
    private_communication()
    video_and_streaming()
    music_and_audio()
    social()
    news_and_sport()
    shopping_travel_food()
    games()
    neutral_ground()
    more_software()
    more_office_work()
    more_foreign_work()
    more_video_and_music()
    more_social_and_hobbies()
    more_news_shopping_games()
    more_private_and_foreign_leisure()
    everyday_life()

    out = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_OUT
    seen = {}
    for row in ROWS:
        label, kind, app_name, title, url, _ = row
        for field in (app_name, title, url):
            assert "\t" not in field and "\n" not in field and "\r" not in field, row
        key = (app_name, title, url)
        assert key not in seen, "duplicate: %r" % (key,)
        seen[key] = row

    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        f.write(HEADER)
        f.write("label\tkind\tapp\ttitle\turl\n")
        for label, kind, app_name, title, url, _ in ROWS:
            f.write("%s\t%s\t%s\t%s\t%s\n" % (label, kind, app_name, title, url))

    work = sum(1 for r in ROWS if r[0] == "work")
    foreign = sum(1 for r in ROWS if r[5] != "en")
    print("%d rows, %d work (%.1f%%), %d not in English (%.1f%%) -> %s" % (
        len(ROWS), work, 100.0 * work / len(ROWS), foreign, 100.0 * foreign / len(ROWS), out))


HEADER = """\
# Labelled observations for training the activity head.
# Generated by tools/make_observations.py from the hand-written rows in it; edit the script,
# not this file, and run it again.
#
# One observation a line, five fields separated by one TAB, after the header line below:
#   label  work or other: would a person doing their job count this as working time?
#   kind   work, neutral, communication or entertainment: what sort of activity it is.
#          The two usually agree, but not always: mail about the job is work/communication,
#          a cooking video is other/entertainment, a project folder in the file manager is
#          work/neutral, a bare new tab is other/neutral.
#   app    the application's name as the desktop shows it.
#   title  the window title, or for a browser tab the page's own title.
#   url    the tab's address; empty for application windows.
# The people, companies and projects in these rows are made up.
"""


if __name__ == "__main__":
    main()
